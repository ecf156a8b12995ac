#pragma once

#include <QPointF>

class QPainter;

// The fixed parts of the two instruments, painted into the skin; the player window draws
// the needle and the arrow over them.

// Speedometer face: 0..260 km/h clockwise from the lower left to the lower right, one
// degree per km/h, 130 km/h straight up.
void paintSpeedometer(QPainter& p, QPointF centre);

// Compass rose, north up.
void paintCompassRose(QPainter& p, QPointF centre);
