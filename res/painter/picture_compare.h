#pragma once

#include <QImage>

// How far a stored picture may stray from a fresh drawing of it. Qt blends anti-aliased
// edges with code chosen for the CPU, so the same drawing can come out a level or two
// apart on a few edge pixels; a real change of the drawing (a stroke moved by a pixel, a
// colour changed) goes beyond that.
struct PictureTolerance
{
    int levels = 2;       // largest difference of any channel, alpha included
    double share = 0.01;  // largest share of pixels that may differ at all...
    int fewPixels = 4;    // ...but never fewer than these, for the pictures of a dozen pixels
};

struct PictureDifference
{
    bool sameSize = false;
    int pixels = 0;
    int differing = 0;  // pixels with any channel apart
    int worst = 0;      // largest channel difference
};

PictureDifference comparePictures(const QImage& a, const QImage& b);

bool withinTolerance(const PictureDifference& d, const PictureTolerance& t);
