#include "blit.h"

#include "resource_image.h"

QImage LoadBitmap(int id)
{
    QImage image;
    LoadResourceImage(id, QStringLiteral("BITMAP"), image);
    return image;
}
