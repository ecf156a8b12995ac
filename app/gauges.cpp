#include "app/gauges.h"

namespace gauges {

DialFace dialFor(SpeedUnit unit)
{
    switch (unit) {
    case SpeedUnit::Mph:
        // The mph face (dial-mph.png) puts each mark where its km/h equivalent points, so the
        // needle keeps turning one degree per km/h.
        return {QStringLiteral("dial-mph.png"), skin::kDialPicture.topLeft(), SpeedUnit::Mph,
                skin::kMphScale.kmhPerUnit};
    case SpeedUnit::Kmh: break;
    }
    return {};
}

int clampSpeed(int speed)
{
    return (speed < 0 || speed > skin::kKmhScale.top) ? 0 : speed;
}

QPoint needleEnd(int speed, const DialFace& face)
{
    return skin::needleEnd(speedIn(face.marks, clampSpeed(speed)), face.degreesPerUnit);
}

QImage rotateArrow(const QImage& arrow, double heading)
{
    const QImage source = arrow.convertToFormat(QImage::Format_ARGB32);
    const skin::ArrowTurn turn(source.size(), heading);
    QImage square(turn.side(), turn.side(), QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    for (int j = 0; j < turn.side(); ++j) {
        for (int i = 0; i < turn.side(); ++i) {
            const QPoint from = turn.sourceOf(i, j);
            if (!source.rect().contains(from)) {
                continue;
            }
            const QRgb pixel = source.pixel(from);
            if (qAlpha(pixel) != 0) {
                square.setPixel(i, j, pixel);
            }
        }
    }
    return square;
}

}  // namespace gauges
