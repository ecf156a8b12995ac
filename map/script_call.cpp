#include "map/script_call.h"

#include <QJsonDocument>

QString scriptCall(const QString& function, const QJsonArray& arguments)
{
    QJsonArray call{function};
    for (const QJsonValue& argument : arguments) {
        call.append(argument);
    }
    const QString encoded = QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact));
    return QStringLiteral("(function (call) {"
                          " var f = window[call[0]];"
                          " if (typeof f === 'function') { f.apply(window, call.slice(1)); }"
                          " })(%1);")
        .arg(encoded);
}
