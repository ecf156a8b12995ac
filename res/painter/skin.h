#pragma once

#include <QImage>

#include "res/painter/gauges.h"

// The window's skin, 1024 x 768: title strip, the wells and panels the controls sit on,
// the speedometer face (in km/h) and the compass rose.
QImage paintSkin(const skin::SpeedScale& scale = skin::kKmhScale);

// The speedometer in mph, to be drawn over the skin's km/h one at skin::kDialPicture:
// the same piece of the skin with the other face.
QImage paintMphDial();
