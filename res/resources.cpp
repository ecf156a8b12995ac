#include "res/resources.h"

QString skinResourcePath(const QString& file)
{
    return QStringLiteral(":/skin/") + file;
}

QImage skinPicture(const QString& file)
{
    return QImage(skinResourcePath(file));
}
