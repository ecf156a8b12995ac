#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <algorithm>
#include <cmath>

// The speedometer and the compass: the painter draws their faces into the skin, the window
// turns the needle and the arrow over them.
namespace skin {

inline constexpr QPoint kDialCentre{776, 684};
inline constexpr int kDialBezel = 77;  // outer radius of the speedometer's ring
inline constexpr int kNeedleLength = 50;
// The bezel with a pixel to spare: what a picture of another face covers.
inline constexpr QRect kDialPicture{kDialCentre - QPoint(kDialBezel + 1, kDialBezel + 1),
                                    kDialCentre + QPoint(kDialBezel + 1, kDialBezel + 1)};
// What the needle can cover, with a margin: it never points lower than 40 degrees below
// the horizontal, 32 pixels under the hub.
inline constexpr QRect kNeedleSweep{kDialCentre - QPoint(55, 55), QSize(110, 90)};

// A speedometer scale. Whatever the unit, the needle turns one degree per km/h clockwise
// from the lower left, so a mark of `value` units sits at needleDegrees(value, kmhPerUnit).
struct SpeedScale
{
    const char* unit;
    int top;      // the last mark
    int redFrom;  // marks above this are red
    double kmhPerUnit;
};
inline constexpr SpeedScale kKmhScale{"km/h", 260, 180, 1.0};
inline constexpr SpeedScale kMphScale{"mph", 160, 110, 1.609344};

// Screen direction (0 = +x, growing clockwise) of `value` units of a scale; 0 lies 140
// degrees clockwise from +x, and 130 km/h straight up.
constexpr double needleDegrees(double value, double kmhPerUnit)
{
    return 140.0 + value * kmhPerUnit;
}

// Where the needle ends for `value` units of a scale. Single-precision cos and sin, and pi as
// 3.1415: 130 km/h then ends exactly one needle length above the hub.
inline QPoint needleEnd(double value, double kmhPerUnit)
{
    const auto degrees = static_cast<float>(std::fmod(needleDegrees(value, kmhPerUnit), 360.0));
    const float theta = degrees * 3.1415f / 180.0f;
    return {kDialCentre.x() + static_cast<int>(std::cos(theta) * kNeedleLength),
            kDialCentre.y() + static_cast<int>(std::sin(theta) * kNeedleLength)};
}

// The compass arrow's picture turns in a square of its height, centred on the rose.
inline constexpr QPoint kCompassCentre{936, 681};
inline constexpr QSize kCompassArrow{20, 72};
inline constexpr QPoint kCompassOrigin =
    kCompassCentre - QPoint(kCompassArrow.height() / 2, kCompassArrow.height() / 2);

// The whole degrees the arrow turns by: trunc(heading) remainder 360, signed like the heading.
inline double compassDegrees(double heading)
{
    return std::fmod(std::trunc(heading), 360.0);
}

// The arrow's picture turned by a heading into a square of side max(width, height), pixel
// by pixel; at heading 0 the arrow is mirrored.
class ArrowTurn
{
public:
    ArrowTurn(QSize arrow, double heading)
        : m_arrow(arrow),
          m_side(std::max(arrow.width(), arrow.height())),
          m_cos(std::cos(compassDegrees(heading) * 3.1415926 / 180.0)),
          m_sin(std::sin(compassDegrees(heading) * 3.1415926 / 180.0))
    {}

    int side() const { return m_side; }

    // The pixel of the arrow's picture that (i, j) of the square shows; it may lie outside
    // the picture, and then (i, j) shows nothing of the arrow.
    QPoint sourceOf(int i, int j) const
    {
        const int centre = m_side / 2;
        const int x0 = static_cast<int>(m_cos * (i - centre) + m_sin * (j - centre) + centre);
        const int y0 = static_cast<int>(m_cos * (j - centre) + m_sin * (centre - i) + centre);
        return {m_arrow.width() + (m_side - m_arrow.width()) / 2 - x0,
                y0 + (m_side - m_arrow.height()) / 2};
    }

private:
    QSize m_arrow;
    int m_side;
    double m_cos;
    double m_sin;
};

}  // namespace skin
