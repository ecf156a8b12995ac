#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

class TelemetryTable;

// What a push of the G-sensor was.
enum class GEventKind { Braking, Acceleration, Cornering, Impact };

// "braking", "acceleration", "cornering", "impact".
std::string_view gEventKindName(GEventKind kind);

// A push counts when its change from the recording's mean goes beyond these (in g).
// Published fleet defaults for braking and cornering range from 0.25 to 0.45 g.
struct GEventThresholds
{
    double longitudinalG = 0.35;  // braking (backwards) and acceleration (forwards)
    double lateralG = 0.40;       // cornering, either side
    double impactG = 1.0;         // any direction
    // Pushes of one kind closer than this are one push: the sensor's noise takes a lasting
    // push under the threshold and back for a moment.
    double joinSeconds = 1.0;
};

// One detected push: where it peaked and how hard.
struct GEvent
{
    GEventKind kind = GEventKind::Braking;
    int entry = 0;                // entry index of the peak (tenths of a second of play position)
    double peakG = 0.0;           // the change from the mean at the peak, positive
    std::optional<int> speedKmh;  // at the peak; nothing without a fix there
    std::optional<std::int64_t> utcMs;  // of the peak, when the log dates the fix

    double seconds() const;  // in the recording
};

// The table's pushes in time order (kinds of one time in the order of GEventKind). Work and
// memory grow with the table, which is bounded.
std::vector<GEvent> detectGEvents(const TelemetryTable& table,
                                  const GEventThresholds& thresholds = {});

// The event's UTC: its fix's, else the recording's start plus its time; nothing when neither
// is known.
std::optional<std::int64_t> gEventUtcMs(const GEvent& event,
                                        std::optional<std::int64_t> recordingStartUtcMs);
