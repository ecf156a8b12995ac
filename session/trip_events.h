#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "telemetry/g_events.h"

class PlaylistCatalogue;

// A detected push of the G-sensor in one recording of a trip.
struct TripEvent
{
    int row = -1;  // the recording's list row
    GEvent event;
    std::optional<std::int64_t> utcMs;  // the fix's time, else the header's start plus offset
};

// The pushes of the rows' recordings, in the rows' order, each recording's table read from
// its files (the one open too: its thresholds may have changed since).
std::vector<TripEvent> detectTripEvents(const PlaylistCatalogue& list, const std::vector<int>& rows,
                                        const GEventThresholds& thresholds);
