#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "telemetry/g_events.h"
#include "telemetry/recording_entry.h"

class PlaylistCatalogue;

// A detected push of the G-sensor in one recording of a trip.
struct TripEvent
{
    int row = -1;  // the recording's list row
    GEvent event;
    std::optional<std::int64_t> utcMs;  // the fix's time, else the header's start plus offset
};

// A recording of a trip as the list held it: what a worker reads instead of the list.
struct TripRecording
{
    int row = -1;
    RecordingEntry entry;
};

// The rows' entries, in the rows' order; rows outside the list are left out.
std::vector<TripRecording> tripRecordings(const PlaylistCatalogue& list,
                                          const std::vector<int>& rows);

// The pushes of the recordings, in their order, each recording's table read from its files
// (the one open too: its thresholds may have changed since). Safe on any thread; once
// *stop is set it ends after the recording being read, with what it found so far.
std::vector<TripEvent> detectTripEvents(const std::vector<TripRecording>& recordings,
                                        const GEventThresholds& thresholds,
                                        const std::atomic_bool* stop = nullptr);
