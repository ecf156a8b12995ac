#pragma once

#include "clip/clip_telemetry.h"

class QImage;

// Draws the telemetry into a frame: the cue's text on a dark band along the bottom, and on
// its right a bar of the horizontal G force (0 to 1 g) with its value.
void paintOverlay(QImage& frame, const OverlayText& overlay);
