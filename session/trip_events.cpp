#include "session/trip_events.h"

#include "session/playlist_catalogue.h"
#include "telemetry/telemetry_table.h"
#include "telemetry/trip.h"

std::vector<TripRecording> tripRecordings(const PlaylistCatalogue& list,
                                          const std::vector<int>& rows)
{
    std::vector<TripRecording> recordings;
    for (const int row : rows) {
        if (row >= 0 && row < list.count()) {
            recordings.push_back({row, list.entryAt(row)});
        }
    }
    return recordings;
}

std::vector<TripEvent> detectTripEvents(const std::vector<TripRecording>& recordings,
                                        const GEventThresholds& thresholds,
                                        const std::atomic_bool* stop)
{
    std::vector<TripEvent> found;
    TelemetryTable table;
    for (const TripRecording& recording : recordings) {
        if (stop != nullptr && *stop) {
            break;
        }
        // The table runs on the clock of the channel that logs it.
        const RecordingEntry& entry = recording.entry;
        const RecordingClock clock =
            readRecordingClock(channelRecording(entry, telemetryChannel(entry)).filePath);
        table.readRecording(entry, clock.seconds);
        for (const GEvent& event : detectGEvents(table, thresholds)) {
            found.push_back({recording.row, event, gEventUtcMs(event, clock.startUtcMs)});
        }
    }
    return found;
}
