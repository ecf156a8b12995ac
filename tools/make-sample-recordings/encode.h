#pragma once

#include <string>

struct ClipOptions
{
    int seconds = 10;
    bool audio = true;
    bool transportStream = false;  // MPEG-TS instead of QuickTime
    std::string label;             // burnt into the picture
};

// Encodes a real H.264 clip (640 x 360, 30 fps) with GStreamer; false with a message on error.
bool encodeClip(const ClipOptions& clip, const std::string& path, std::string& error);
