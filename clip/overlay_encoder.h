#pragma once

#include <string>

#include "clip/clip_export.h"

// The reencoder that draws the telemetry into the picture: decodes the lossless clip with
// GStreamer, paints each frame (paintOverlay, at the frame's time) and encodes it again as
// H.264 (x264) into an MP4 with the clip's audio copied. Needs a QGuiApplication for the
// fonts; runs on any thread.
bool encodeWithOverlay(const Reencode& job, const CopyControl& control, std::string& error);
