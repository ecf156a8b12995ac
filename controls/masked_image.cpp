#include "masked_image.h"

namespace {

constexpr QRgb kMaskSet = 0xFFFFFFFF;
constexpr QRgb kMaskClear = 0x00000000;

// The RGB part of a pixel as 0x00BBGGRR; an invalid colour outside the image.
std::uint32_t colourAt(const QImage& image, int x, int y)
{
    if (!image.valid(x, y))
        return 0xFFFFFFFF;
    const QRgb pixel = image.pixel(x, y);
    return static_cast<std::uint32_t>(qRed(pixel)) |
           (static_cast<std::uint32_t>(qGreen(pixel)) << 8) |
           (static_cast<std::uint32_t>(qBlue(pixel)) << 16);
}

}  // namespace

void makeMask(QImage& image, QImage& mask, std::uint32_t transparentColour, int sampleX,
              int sampleY)
{
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    mask = QImage(image.size(), QImage::Format_ARGB32_Premultiplied);
    const std::uint32_t key = transparentColour == kTransparentFromSample
                                  ? colourAt(image, sampleX, sampleY)
                                  : transparentColour;
    for (int y = 0; y < image.height(); ++y) {
        auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
        auto* bits = reinterpret_cast<QRgb*>(mask.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool isKey = colourAt(image, x, y) == key;
            bits[x] = isKey ? kMaskSet : kMaskClear;
            if (isKey)
                pixels[x] = 0;
        }
    }
}

void drawPart(QPainter& target, int x, int y, int w, int h, const QImage& source, int sx, int sy,
              const QImage& mask, bool transparent)
{
    if (w <= 0 || h <= 0 || source.isNull())
        return;
    const QRect to(x, y, w, h);
    const QRect from(sx, sy, w, h);
    const QPainter::CompositionMode saved = target.compositionMode();
    if (!transparent || mask.isNull()) {
        target.setCompositionMode(QPainter::CompositionMode_Source);
        target.drawImage(to, source, from);
    } else {
        // AND: keep the target where the mask is set, clear it elsewhere.
        target.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        target.drawImage(to, mask, from);
        // OR: the source is clear where the mask is set, so adding is OR.
        target.setCompositionMode(QPainter::CompositionMode_Plus);
        target.drawImage(to, source, from);
    }
    target.setCompositionMode(saved);
}
