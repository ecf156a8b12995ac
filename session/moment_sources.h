#pragma once

#include <vector>

#include "playback/media_engine.h"
#include "telemetry/channel_names.h"

struct RecordingEntry;
class TelemetryTable;

// Two channels whose positions lie further apart than this at the same moment disagree.
inline constexpr double kChannelsApartMetres = 50.0;

// The channels of a recording as the engine plays them, in the entry's order: labelled by
// their letter, each starting at its start's distance from the earliest start (0 when its
// start is unknown). A recording without channels is its one file.
std::vector<ChannelSource> channelSources(const RecordingEntry& node, const StartTimeOf& startOf);

// Whether two channels' tables, each shifted by its channel's offset, place the car more
// than `metres` apart at any second where both have a fix.
bool positionsDisagree(const TelemetryTable& a, double offsetA, const TelemetryTable& b,
                       double offsetB, double metres);
