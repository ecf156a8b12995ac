#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct RecordingEntry;

// A coordinate in signed decimal degrees, and the fraction digits its layout logs it with:
// the player prints it, and hands it to the map, with these digits.
struct Degrees
{
    double value = 0.0;
    int decimals = 7;
};

// Where a fix puts the car: latitude south negative, longitude west negative.
struct Position
{
    Degrees latitude;
    Degrees longitude;
};

// The coordinate with its decimals ("-0.500000" keeps the sign below one degree).
std::string degreesText(const Degrees& degrees);
// Latitude within ±90 and longitude within ±180: a place a track can be drawn through.
bool isOnEarth(const Position& position);

// One telemetry entry: a tenth of a second of video.
struct TelemetryEntry
{
    float gX = 0.0f;  // G-sensor axes in g
    float gY = 0.0f;
    float gZ = 0.0f;
    std::optional<Position> position{};   // nothing when the log has no fix here
    int speedKmh = 0;                     // km/h
    double course = 0.0;                  // degrees
    std::optional<std::int64_t> utcMs{};  // UTC of the fix, ms since 1970, when the log dates it

    bool hasPosition() const { return position.has_value(); }
};

inline constexpr int kEntriesPerSample = 10;

// G-sensor axes of one entry, in g.
struct EntryAxes
{
    float gX = 0.0f;
    float gY = 0.0f;
    float gZ = 0.0f;
};
// No recording shows more than a day: the table never holds more samples.
inline constexpr int kMaxTableSamples = 24 * 60 * 60;
// Samples a table keeps beyond the video's own length (a log may run a little longer).
inline constexpr int kTableMarginSamples = 60;

// The telemetry table of the recording being played: ten entries per logged sample, entry
// index = tenths of a second of play position. The ten entries of a sample are identical,
// except for the axes of layouts that log the G-sensor more often than once a second.
class TelemetryTable
{
public:
    void clear();
    int count() const;
    int sampleCount() const { return count() / kEntriesPerSample; }

    // Copy of entry index and 0; outside the table an empty entry (no position) and -1.
    int copyEntry(int index, TelemetryEntry& out) const;
    // The entry without a copy, or nullptr outside the table (for per-entry consumers).
    const TelemetryEntry* find(int index) const;

    // The reader of the entry's layout (of the moment's channel that carries telemetry:
    // telemetryChannel). videoSeconds, when the caller knows the video's
    // length, bounds the table to that plus kTableMarginSamples seconds.
    int readRecording(const RecordingEntry& node, double videoSeconds = 0.0);

    // Samples the table keeps (1 .. kMaxTableSamples); further appends are dropped. The
    // readers stop once the table is full, so a huge log costs no more than the limit.
    void setSampleLimit(int samples);
    bool full() const { return sampleCount() >= m_sampleLimit; }

    // Descrambles one log line in place and appends its sample; -1 when line is null.
    int parseAssistLine(char* line, int shift);

    // Appends one sample as kEntriesPerSample entries (nothing once the table is full).
    void appendSample(const TelemetryEntry& sample);
    // The same, with axes of its own for each of the ten entries.
    void appendSample(const TelemetryEntry& sample,
                      std::span<const EntryAxes, kEntriesPerSample> entryAxes);

private:
    void keepEveryEntry();

    // One row per sample (entry i is row i / 10) until a sample comes with axes per entry;
    // from then on one row per entry.
    std::vector<TelemetryEntry> m_rows;
    int m_entriesPerRow = kEntriesPerSample;
    int m_sampleLimit = kMaxTableSamples;
};

// All three axes exactly zero is no reading: the layouts' fill for a second without one
// (a block out of range, a GoPro entry past the accelerometer's last record), never what a
// sensor that feels gravity logs.
bool isGReading(const TelemetryEntry& entry);

// The mean of each G-sensor axis over the table's readings, in g: gravity and how the camera
// is mounted, what a push is measured from. Zero when the table holds no reading.
std::array<double, 3> meanG(const TelemetryTable& table);
// How far the entry's acceleration is from that mean, in g; zero for an entry of no reading,
// so that a second without one is never taken for a push.
double gFromRest(const TelemetryEntry& entry, const std::array<double, 3>& mean);
