#pragma once

#include <QPointF>

class QPainter;

// The fixed parts of the two instruments, painted into the skin; the player window draws
// the needle and the arrow over them.

// A speedometer scale. Whatever the unit, the needle turns one degree per km/h from the
// lower left (140 degrees clockwise from +x), so a mark of `value` units sits at
// 140 + value * kmhPerUnit degrees.
struct SpeedScale {
    const char* unit;
    int top;          // the last mark
    int redFrom;      // marks above this are red
    double kmhPerUnit;
};
inline constexpr SpeedScale kKmhScale{"km/h", 260, 180, 1.0};
inline constexpr SpeedScale kMphScale{"mph", 160, 110, 1.609344};

// Speedometer face: marks every 10 units, numbers every 20, clockwise from the lower left;
// for km/h 0..260 with 130 straight up.
void paintSpeedometer(QPainter& p, QPointF centre, const SpeedScale& scale);

// Compass rose, north up.
void paintCompassRose(QPainter& p, QPointF centre);
