#include "resource_image.h"

#include "resources.h"

#include <QFile>

bool loadResourceImage(int id, const QString& type, QImage& out)
{
    QFile file(skinResourcePath(type, id));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QImage decoded;
    // The format is taken from the bytes: resource paths carry no extension.
    if (!decoded.loadFromData(file.readAll()))
        return false;
    out = std::move(decoded);
    return true;
}
