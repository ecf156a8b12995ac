#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

// Speedometer and compass painted over the skin.
namespace gauges {

inline constexpr QPoint kDialCentre{776, 684};
inline constexpr int kNeedleLength = 50;
inline constexpr int kMaxSpeed = 260;
inline constexpr QRect kNeedleRepair{721, 629, 110, 90};  // (721,629)-(831,719)
inline constexpr QPoint kCompassOrigin{900, 645};
inline constexpr QRect kCompassRepair{900, 645, 160, 160};

// Speeds outside 0..260 km/h show as 0.
int ClampSpeed(int speed);
// End point of the needle for a (clamped) speed.
QPoint NeedleEnd(int speed);
// The whole degrees the arrow turns by: trunc(heading) remainder 360, signed like the heading.
double CompassAngle(double heading);
// The arrow turned by the heading into a square of side max(w, h); uncovered pixels and
// the arrow's own magenta pixels are transparent. At heading 0 the arrow is mirrored.
QImage RotateArrow(const QImage& arrow, double heading);

}  // namespace gauges
