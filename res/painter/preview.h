#pragma once

#include "res/painter/pictures.h"

// The whole window as the player shows it: the skin with every control's picture placed
// where the window layout puts it, a needle at 88 km/h and the compass at 45 degrees. For
// judging the pictures together; the player itself does not use it.
QImage composePreview(const std::vector<Picture>& pictures);
