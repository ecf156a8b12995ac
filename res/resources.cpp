#include "resources.h"

QString skinResourcePath(const QString& type, int id)
{
    return QStringLiteral(":/%1/%2").arg(type).arg(id);
}
