#include "resource_image.h"

#include "resources.h"

#include <QFile>

int LoadResourceImage(int id, const QString& type, QImage& out)
{
    QFile file(SkinResourcePath(type, id));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QImage decoded;
    // The format is taken from the bytes: resource paths carry no extension.
    if (!decoded.loadFromData(file.readAll()))
        return 0;
    out = std::move(decoded);
    return 1;
}
