#pragma once

#include <QJsonArray>
#include <QString>

// The text of a script that calls the page's global function `function` with
// `arguments` in order. The name and the arguments travel as one JSON value, never
// as pasted script text, so no argument can end the call or run code of its own.
// A name the page does not define calls nothing.
QString scriptCall(const QString& function, const QJsonArray& arguments = {});
