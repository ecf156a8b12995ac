#include "blit.h"

#include "resource_image.h"

QImage loadBitmap(int id)
{
    QImage image;
    loadResourceImage(id, QStringLiteral("BITMAP"), image);
    return image;
}
