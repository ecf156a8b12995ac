#pragma once

#include <string>

struct ClipOptions
{
    int seconds = 10;
    bool audio = true;
    bool transportStream = false;  // MPEG-TS instead of QuickTime
    std::string label;             // burnt into the picture
    // With a channel (0 front, 1 rear, ...): its index and each frame's number stamped into
    // the picture (frame_stamp.h), and the label written with the frame number.
    int stampChannel = -1;
    std::string pattern = "smpte75";  // the test picture's pattern
};

// Encodes a real H.264 clip (640 x 360, 30 fps) with GStreamer; false with a message on error.
bool encodeClip(const ClipOptions& clip, const std::string& path, std::string& error);
