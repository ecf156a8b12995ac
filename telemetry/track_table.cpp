#include "telemetry/track_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kSecondsPerRecord = 10.0;  // what a track may claim per decoded record

// Walks records of growing video time: the first one at or after t, when it lies within the
// window after t. Times asked for must not decrease.
template <class Record>
class TimeCursor
{
public:
    explicit TimeCursor(const std::vector<Record>& records) : m_records(records) {}

    const Record* atOrAfter(double t)
    {
        while (m_next < m_records.size() && m_records[m_next].videoSeconds < t) {
            ++m_next;
        }
        if (m_next == m_records.size() ||
            !(m_records[m_next].videoSeconds < t + kTrackWindowSeconds)) {
            return nullptr;
        }
        return &m_records[m_next];
    }

private:
    const std::vector<Record>& m_records;
    size_t m_next = 0;
};

template <class Record>
double lastTime(const std::vector<Record>& records)
{
    return records.empty() ? -1.0 : records.back().videoSeconds;
}

// Samples the table gets: up to the last record's second, within the video's length.
double sampleCount(const TimedTrack& track, std::optional<double> videoSeconds)
{
    const double last = std::max(lastTime(track.fixes), lastTime(track.accelerations));
    const double records = static_cast<double>(track.fixes.size() + track.accelerations.size());
    const double recorded =
        last < 0.0 ? 0.0 : std::min(std::floor(last) + 1.0, records * kSecondsPerRecord);
    if (videoSeconds && *videoSeconds > 0.0) {
        return std::min(recorded, std::ceil(*videoSeconds));
    }
    return recorded;
}

TelemetryEntry sampleOf(const TimedFix* fix)
{
    TelemetryEntry sample;
    if (fix == nullptr || !fix->valid) {
        return sample;
    }
    sample.position = Position{tableDegrees(fix->latitude), tableDegrees(fix->longitude)};
    // A float layout can log anything: no speed or course is better than a made-up one.
    const double speed =
        std::isfinite(fix->speedKmh) ? std::clamp(fix->speedKmh, 0.0, 10000.0) : 0.0;
    sample.speedKmh = static_cast<int>(std::lround(speed));
    sample.course = std::isfinite(fix->course) ? fix->course : 0.0;
    sample.utcMs = fix->utcMs;
    return sample;
}

EntryAxes axesOf(const TimedAcceleration* acceleration)
{
    if (acceleration == nullptr) {
        return {};
    }
    return {static_cast<float>(acceleration->x), static_cast<float>(acceleration->y),
            static_cast<float>(acceleration->z)};
}

}  // namespace

Degrees tableDegrees(double degrees)
{
    // Kept as printed, so that the trip and the map draw the very position the text shows.
    const Degrees printed{degrees, kTableDecimals};
    const std::string text = degreesText(printed);
    double value = degrees;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return {value, kTableDecimals};
}
void fillTable(const TimedTrack& track, std::optional<double> videoSeconds, TelemetryTable& table)
{
    TimeCursor<TimedFix> fixes(track.fixes);
    TimeCursor<TimedAcceleration> accelerations(track.accelerations);
    const double samples = sampleCount(track, videoSeconds);
    std::array<EntryAxes, kEntriesPerSample> axes;
    for (int i = 0; i < samples && !table.full(); ++i) {
        const TelemetryEntry sample = sampleOf(fixes.atOrAfter(i));
        for (int j = 0; j < kEntriesPerSample; ++j) {
            axes[static_cast<size_t>(j)] = axesOf(accelerations.atOrAfter(i + j / 10.0));
        }
        table.appendSample(sample, axes);
    }
}
