#include "resource_image.h"

#include "resources.h"

#include <QFile>

int loadResourceImage(int id, const QString& type, QImage& out)
{
    QFile file(skinResourcePath(type, id));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QImage decoded;
    // The format is taken from the bytes: resource paths carry no extension.
    if (!decoded.loadFromData(file.readAll()))
        return 0;
    out = std::move(decoded);
    return 1;
}
