#include "resources.h"

QString SkinResourcePath(const char* type, int id)
{
    return QStringLiteral(":/%1/%2").arg(QLatin1String(type)).arg(id);
}
