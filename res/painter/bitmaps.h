#pragma once

#include <QImage>

// The small pictures of the skinned controls.

// Seek bar: channel (675 x 9) and thumb (18 x 18, clear around the knob, visible rows
// 5..13).
QImage paintChannel(bool played);
QImage paintThumb(bool dragging);

// List header, 24 rows high: right edge of a column (4 wide), face (2 wide, a vertical
// gradient), left edge of the first column (4 wide).
QImage paintHeaderRightEdge();
QImage paintHeaderFace();
QImage paintHeaderLeftEdge();

// Companion scroll bars (12 pixels thick).
enum class ScrollPiece {
    LeftArrow,
    RightArrow,
    HChannel,
    HThumb,
    BottomCap,
    DownArrow,
    VChannel,
    VThumb,
    TopCap,
    UpArrow
};
QImage paintScrollPiece(ScrollPiece piece);

// One bar of the volume indicator, lit (green) or not (grey).
QImage paintVolumeBar(bool lit);

// The compass arrow, 20 x 72, north up, clear around it.
QImage paintCompassArrow();
