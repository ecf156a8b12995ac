#include "blit.h"

#include "resource_image.h"

QImage loadBitmap(int id)
{
    QImage image;
    loadResourceImage(id, QStringLiteral("BITMAP"), image);
    return image;
}

QImage withoutKeyColour(const QImage& picture)
{
    if (picture.isNull())
        return picture;
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, 0) | 0xFF000000u;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] | 0xFF000000u) == key)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return image;
}
