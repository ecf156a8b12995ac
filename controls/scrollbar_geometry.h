#pragma once

// Thumb arithmetic of the skinned scroll bar, vertical or horizontal. Along its axis, on
// its length with the corner (H or W): the thumb is 26 pixels long, `first` is the lowest
// thumb position (36 or 25) and `arrowStart` where the far arrow begins (H - 37 or W - 26).

constexpr int kThumbLength = 26;

// Thumb pixels per scroll unit over a track of `track` pixels (H - 98 or W - 75);
// 0 when there is nothing to scroll.
double pixelsPerUnit(int track, int limit);

// trunc(pixelsPerUnit x pos) + first.
int thumbFromPosition(double pixelsPerUnit, int pos, int first);

// Keeps the thumb off the far arrow but for one pixel of overlap, then at least at `first`.
int clampThumb(int thumb, int arrowStart, int first);

// Scroll units from the current position to where the thumb stands; 0 without a scale.
int unitsFromThumb(int thumb, int first, double pixelsPerUnit, int pos);
