#pragma once

#include <QImage>
#include <vector>

// The image buttons' strips: four frames side by side (normal, pressed, highlighted,
// disabled), each kept as the PNG file named here.
struct Strip
{
    QString file;
    QImage image;
};

std::vector<Strip> paintStrips();
