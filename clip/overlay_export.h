#pragma once

#include <string>

#include "clip/clip_export.h"

class QImage;
struct OverlayText;

// Draws what the picture shows of the telemetry into it: a band along the bottom with the
// cue's text and a bar of the G-sensor's horizontal force (0 to 1 g).
void paintOverlay(QImage& picture, const OverlayText& overlay);

// The re-encode of the lossless clip with the telemetry drawn into every picture: GStreamer
// decodes the clip's video into pictures, each is painted (paintOverlay, at its own time of
// the clip) and encoded again with x264 into an MP4 with the clip's audio, re-encoded as
// AAC. A Reencoder for ClipRequest::reencode. Text needs a QGuiApplication in the process.
bool reencodeWithOverlay(const Reencode& job, const CopyControl& control, std::string& error);
