#include "session/trip_events.h"

#include "session/playlist_catalogue.h"
#include "telemetry/telemetry_table.h"
#include "telemetry/trip.h"

std::vector<TripEvent> detectTripEvents(const PlaylistCatalogue& list, const std::vector<int>& rows,
                                        const GEventThresholds& thresholds)
{
    std::vector<TripEvent> found;
    TelemetryTable table;
    for (const int row : rows) {
        if (row < 0 || row >= list.count()) {
            continue;
        }
        const RecordingEntry& entry = list.entryAt(row);
        const RecordingClock clock = readRecordingClock(entry.filePath);
        table.readRecording(entry, clock.seconds);
        for (const GEvent& event : detectGEvents(table, thresholds)) {
            found.push_back({row, event, gEventUtcMs(event, clock.startUtcMs)});
        }
    }
    return found;
}
