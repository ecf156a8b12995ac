#pragma once

#include <QImage>
#include <vector>

// The image buttons' strips: four frames side by side (normal, pressed, highlighted,
// disabled), each identified by its PNG resource id.
struct Strip
{
    int id;
    QImage image;
};

std::vector<Strip> paintStrips();
