#include "resources.h"

QString SkinResourcePath(const QString& type, int id)
{
    return QStringLiteral(":/%1/%2").arg(type).arg(id);
}
