#include "gauges.h"

#include <algorithm>
#include <cmath>

namespace gauges {

namespace {

constexpr QRgb kTransparentKey = qRgb(255, 0, 255);

}  // namespace

DialFace DialFor(SpeedUnit unit)
{
    switch (unit) {
    case SpeedUnit::Mph:
        // The mph face (PNG 170) puts each mark where its km/h equivalent points, so the
        // needle keeps turning one degree per km/h.
        return {170, skin::kDialPicture.topLeft(), SpeedUnit::Mph, skin::kMphScale.kmhPerUnit};
    case SpeedUnit::Kmh:
        break;
    }
    return {};
}

int ClampSpeed(int speed)
{
    return (speed < 0 || speed > skin::kKmhScale.top) ? 0 : speed;
}

QPoint NeedleEnd(int speed, const DialFace& face)
{
    return skin::needleEnd(SpeedIn(face.marks, ClampSpeed(speed)), face.degreesPerUnit);
}

double CompassAngle(double heading)
{
    return std::fmod(std::trunc(heading), 360.0);
}

QImage RotateArrow(const QImage& arrow, double heading)
{
    const QImage source = arrow.convertToFormat(QImage::Format_RGB32);
    const int w = source.width();
    const int h = source.height();
    const int side = std::max(w, h);
    QImage square(side, side, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    if (side == 0) {
        return square;
    }
    const double theta = CompassAngle(heading) * 3.1415926 / 180.0;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const int cx = side / 2;
    const int cy = side / 2;
    const int offX = (side - w) / 2;
    const int offY = (side - h) / 2;
    for (int j = 0; j < side; ++j) {
        for (int i = 0; i < side; ++i) {
            const int x0 = static_cast<int>(c * (i - cx) + s * (j - cy) + cx);
            const int y0 = static_cast<int>(c * (j - cy) + s * (cx - i) + cy);
            const int sx = w + offX - x0;
            const int sy = y0 + offY;
            if (sx < 0 || sx >= w || sy < 0 || sy >= h) {
                continue;
            }
            const QRgb pixel = source.pixel(sx, sy) | 0xFF000000u;
            if (pixel != kTransparentKey) {
                square.setPixel(i, j, pixel);
            }
        }
    }
    return square;
}

}  // namespace gauges
