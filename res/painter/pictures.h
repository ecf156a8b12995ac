#pragma once

#include "res/painter/picture_compare.h"

#include <QImage>
#include <QString>
#include <vector>

// Every picture of the skin with the path it is kept at under res/ (skin/<name>, the icon
// in icon/).
struct Picture
{
    QString path;
    QImage image;
};

std::vector<Picture> paintAllPictures();

// The path under res/ of the skin's picture `file` ("play.png").
QString skinPath(const QString& file);

// The picture at `path` among `pictures`, or a null image.
QImage findPicture(const std::vector<Picture>& pictures, const QString& path);

// Writes a picture in the format its file name asks for; false when it cannot be written.
bool writePicture(const Picture& picture, const QString& directory);

// What a picture looks like after being written and read back (JPEG loses detail).
QImage asStored(const Picture& picture);

// How far the stored copy of a picture may stray from a fresh drawing of it.
PictureTolerance storedTolerance(const Picture& picture);
