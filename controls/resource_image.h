#pragma once

#include <QImage>
#include <QString>

// Decodes the picture stored as resource ":/<type>/<id>" (type "PNG", "JPG" or "BITMAP"),
// alpha channel included. 1 and the image, or 0 with `out` untouched when the resource is
// missing or cannot be decoded.
int loadResourceImage(int id, const QString& type, QImage& out);
