#pragma once

#include <QImage>
#include <QString>

// Where a picture of the skin lives among the program's resources: ":/skin/<file>", for
// instance ":/skin/play.png"; the window icon is ":/skin/icon.png".
QString skinResourcePath(const QString& file);

// The picture, alpha channel included; a null image when it is missing or cannot be decoded.
QImage skinPicture(const QString& file);
