#include "res/painter/picture_compare.h"

#include <algorithm>
#include <cstdlib>

namespace {

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

}  // namespace

PictureDifference comparePictures(const QImage& a, const QImage& b)
{
    PictureDifference d;
    d.sameSize = !a.isNull() && a.size() == b.size();
    if (!d.sameSize) {
        return d;
    }
    d.pixels = a.width() * a.height();
    const QImage ca = a.convertToFormat(QImage::Format_ARGB32);
    const QImage cb = b.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < ca.height(); ++y) {
        const QRgb* ra = reinterpret_cast<const QRgb*>(ca.constScanLine(y));
        const QRgb* rb = reinterpret_cast<const QRgb*>(cb.constScanLine(y));
        for (int x = 0; x < ca.width(); ++x) {
            const int distance = channelDistance(ra[x], rb[x]);
            d.differing += distance > 0 ? 1 : 0;
            d.worst = std::max(d.worst, distance);
        }
    }
    return d;
}

bool withinTolerance(const PictureDifference& d, const PictureTolerance& t)
{
    const double allowed = std::max(t.share * d.pixels, static_cast<double>(t.fewPixels));
    return d.sameSize && d.worst <= t.levels && d.differing <= allowed;
}
