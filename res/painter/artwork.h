#pragma once

#include <QImage>

// The picture shown in the video area before the first recording is opened (510 x 360).
QImage paintIdlePicture();

// The application icon, 256 x 256 with alpha (the window's and the desktop entry's).
QImage paintIcon();
