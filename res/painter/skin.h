#pragma once

#include <QImage>

// The window's skin, 1024 x 768: title strip, the wells and panels the controls sit on,
// the speedometer face and the compass rose.
QImage paintSkin();
