#pragma once

#include <QString>

// Where a picture of the skin lives among the program's resources: ":/<type>/<id>", with
// the type "PNG", "JPG", "BITMAP" or "ICON" (the window icon is ICON 128).
QString skinResourcePath(const QString& type, int id);
