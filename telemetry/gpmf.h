#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "telemetry/timed_track.h"

// The GPS and accelerometer streams of GPMF payloads (GoPro's key-length-value metadata),
// gathered payload by payload, each spread evenly over its payload's time.
class GpmfDecoder
{
public:
    // Decodes one payload that plays from start for duration seconds of video.
    void addPayload(std::span<const unsigned char> payload, double start, double duration);
    // The fixes of the best GPS stream found (GPS9, else GPS5, else a drone's GPRI) and the
    // accelerations in g: only what the table can take, the first fix at or after each
    // second and the first reading at or after each tenth of one (cameras log 10-18 fixes
    // and a few hundred readings a second). Courses are bearings from the fix kept before (a metre
    // or more away) unless the stream logs its own.
    TimedTrack take();

private:
    friend class GpmfWalk;
    std::vector<TimedFix> m_gps9;
    std::vector<TimedFix> m_gps5;
    std::vector<TimedFix> m_gpri;
    std::vector<TimedAcceleration> m_accl;
};

// Nested containers deeper than this are not entered.
inline constexpr int kMaxGpmfDepth = 8;
