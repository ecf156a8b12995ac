#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "telemetry/trip.h"
#include "telemetry/trip_summary.h"

class TelemetryTable;
class PlaylistCatalogue;
struct RecordingEntry;

// The trips of the play list, with what each recording adds to its trip. A recording's
// header and telemetry are read once per file (its path, size and write time), so
// regrouping after an import and showing a long trip on every open cost no more reads,
// while a recording written anew under the same name is read again.
class TripIndex
{
public:
    // Regroups the list; reads the headers of recordings not seen before, and forgets those
    // no longer listed (their digests with them).
    void update(const PlaylistCatalogue& list);
    const TripPlan& plan() const { return m_plan; }
    // The clock of a row of the last Update; an empty clock outside it.
    RecordingClock clock(int row) const;

    // The digest of a recording, read with its layout's reader unless cached; table, when
    // given, is the recording's telemetry already read (the playing one).
    const TrackDigest& digest(const RecordingEntry& node, const TelemetryTable* table = nullptr);

private:
    std::unordered_map<std::string, RecordingClock> m_clocks;
    std::unordered_map<std::string, TrackDigest> m_digests;
    std::vector<RecordingClock> m_rowClocks;
    TripPlan m_plan;
};
