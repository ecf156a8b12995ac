#pragma once

#include <QPointF>

#include "skin/skin_dial.h"

class QPainter;

// The fixed parts of the two instruments, painted into the skin; the player window draws
// the needle and the arrow over them.

// Speedometer face: marks every 10 units, numbers every 20, clockwise from the lower left;
// for km/h 0..260 with 130 straight up.
void paintSpeedometer(QPainter& p, QPointF centre, const skin::SpeedScale& scale);

// Compass rose, north up.
void paintCompassRose(QPainter& p, QPointF centre);
