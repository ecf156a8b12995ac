#pragma once

#include <QRect>
#include <QSize>

// Where a picture of native size `video` goes inside an area of size `area`:
// as large as fits with the aspect ratio kept, centred. A native size below
// 1 x 1 (unknown) fills the whole area.
QRect placeVideo(QSize video, QSize area);
