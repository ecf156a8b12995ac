#pragma once

#include <QImage>
#include <QString>

// Decodes the picture stored as resource ":/<type>/<id>" (type "PNG", "JPG" or "BITMAP"),
// alpha channel included. True and the image, or false with `out` untouched when the
// resource is missing or cannot be decoded.
bool loadResourceImage(int id, const QString& type, QImage& out);
