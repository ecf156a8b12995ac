#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// What a modern camera layout decodes before it becomes the telemetry table: fixes and
// accelerations on the video's own time line. The table maker decides which fix becomes
// which sample, so every layout follows one rule.
struct TimedFix
{
    double videoSeconds = 0.0;  // from the start of the video
    bool valid = false;         // false: void status, no position
    double latitude = 0.0;      // signed decimal degrees, south negative
    double longitude = 0.0;     // signed decimal degrees, west negative
    double speedKmh = 0.0;
    double course = 0.0;                // degrees, 0 = north
    std::optional<std::int64_t> utcMs;  // UTC, milliseconds since 1970, when the layout gives it
};

struct TimedAcceleration
{
    double videoSeconds = 0.0;
    double x = 0.0;  // g
    double y = 0.0;
    double z = 0.0;
};

struct TimedTrack
{
    std::vector<TimedFix> fixes;                   // in video time order
    std::vector<TimedAcceleration> accelerations;  // in video time order
};
