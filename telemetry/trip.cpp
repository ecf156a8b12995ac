#include "telemetry/trip.h"

#include <algorithm>
#include <cmath>

#include "telemetry/movie_header.h"

RecordingClock readRecordingClock(const std::string& path)
{
    BinaryFile file;
    if (!file.open(path)) {
        return {};
    }
    RecordingClock clock;
    clock.startUtcMs = readRecordingStartUtcMs(file);
    if (const std::optional<MovieHeader> header = readMovieHeader(file)) {
        clock.seconds = header->seconds();
    }
    return clock;
}

TripPlan::TripPlan(std::span<const RecordingClock> clocks)
    : m_tripOfRow(clocks.size(), -1), m_playPosition(clocks.size(), -1)
{
    std::vector<int> timed;
    for (int row = 0; row < static_cast<int>(clocks.size()); ++row) {
        if (clocks[row].startUtcMs) {
            timed.push_back(row);
        } else {
            m_trips.push_back({row});
        }
    }
    std::stable_sort(timed.begin(), timed.end(),
                     [&](int a, int b) { return *clocks[a].startUtcMs < *clocks[b].startUtcMs; });
    std::int64_t tripEndMs = 0;
    for (size_t i = 0; i < timed.size(); ++i) {
        const RecordingClock& clock = clocks[timed[i]];
        if (i == 0 || *clock.startUtcMs - tripEndMs > kTripGapMs) {
            m_trips.push_back({});
            tripEndMs = *clock.startUtcMs;
        }
        m_trips.back().push_back(timed[i]);
        const auto endMs =
            *clock.startUtcMs + static_cast<std::int64_t>(std::llround(clock.seconds * 1000));
        tripEndMs = std::max(tripEndMs, endMs);
    }
    std::stable_sort(
        m_trips.begin(), m_trips.end(),
        [](const std::vector<int>& a, const std::vector<int>& b) { return a.front() < b.front(); });
    // Each trip plays in time order on the list places its recordings hold; every other
    // recording keeps its place.
    m_playOrder.resize(clocks.size());
    for (int trip = 0; trip < static_cast<int>(m_trips.size()); ++trip) {
        std::vector<int> places = m_trips[trip];
        std::sort(places.begin(), places.end());
        for (size_t i = 0; i < places.size(); ++i) {
            m_tripOfRow[m_trips[trip][i]] = trip;
            m_playOrder[places[i]] = m_trips[trip][i];
        }
    }
    for (int position = 0; position < static_cast<int>(m_playOrder.size()); ++position) {
        m_playPosition[m_playOrder[position]] = position;
    }
}

int TripPlan::tripOf(int row) const
{
    return row >= 0 && row < rowCount() ? m_tripOfRow[row] : -1;
}

std::span<const int> TripPlan::tripRows(int row) const
{
    const int trip = tripOf(row);
    return trip < 0 ? std::span<const int>() : std::span<const int>(m_trips[trip]);
}

bool TripPlan::startsTrip(int row) const
{
    const std::span<const int> rows = tripRows(row);
    return !rows.empty() && rows.front() == row;
}

int TripPlan::next(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return -1;
    }
    const int position = m_playPosition[row] + 1;
    return position < static_cast<int>(m_playOrder.size()) ? m_playOrder[position] : -1;
}

int TripPlan::previous(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return -1;
    }
    const int position = m_playPosition[row] - 1;
    return position >= 0 ? m_playOrder[position] : -1;
}
