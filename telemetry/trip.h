#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// When a recording ran, from its own movie header (not the file's copy time).
struct RecordingClock
{
    std::optional<std::int64_t> startUtcMs;  // readRecordingStartUtcMs
    double seconds = 0.0;                    // mvhd duration over its time scale
};

// A recording that starts at most this long after the previous one ended continues its trip.
inline constexpr std::int64_t kTripGapMs = 2 * 60 * 1000;

// The start the play list shows and the movie header's length; an unreadable file or a
// movie without a header gives no start and no length.
RecordingClock readRecordingClock(const std::string& path);

// The recordings of a list grouped into trips. Within a trip the rows are in start order;
// trips follow the list position of their first recording. A recording without a time is a
// trip of its own. Play order is the list order, except that each trip plays in time order
// on the list places its recordings hold: for camera names (which carry the time) the two
// are the same.
class TripPlan
{
public:
    TripPlan() = default;
    explicit TripPlan(std::span<const RecordingClock> clocks);

    const std::vector<std::vector<int>>& trips() const { return m_trips; }
    int rowCount() const { return static_cast<int>(m_tripOfRow.size()); }
    // The trip of a list row, -1 outside the list.
    int tripOf(int row) const;
    // The row's trip, empty outside the list.
    std::span<const int> tripRows(int row) const;
    bool startsTrip(int row) const;
    // The row played after or before this one, -1 at either end or outside the list.
    int next(int row) const;
    int previous(int row) const;

private:
    std::vector<std::vector<int>> m_trips;
    std::vector<int> m_tripOfRow;
    std::vector<int> m_playOrder;     // rows in play order
    std::vector<int> m_playPosition;  // of each row in m_playOrder
};
