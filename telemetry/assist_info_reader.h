#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct tagFileNode;

// One telemetry entry: a tenth of a second of video.
struct tagAssistInfo {
    float fX = 0.0f;  // G-sensor axes in g
    float fY = 0.0f;
    float fZ = 0.0f;
    std::string strLongitude;  // signed decimal degrees, west negative
    std::string strLatitude;   // signed decimal degrees, south negative
    int nSpeed = 0;            // km/h
    double dCourse = 0.0;      // degrees
    std::optional<std::int64_t> utcMs;  // UTC of the fix, ms since 1970, when the log dates it

    // Both texts at least 7 characters: an empty text and the miss text "0" are no position.
    bool HasPosition() const { return strLongitude.size() >= 7 && strLatitude.size() >= 7; }
};

inline constexpr int ENTRIES_PER_SAMPLE = 10;

// G-sensor axes of one entry, in g.
struct EntryAxes {
    float fX = 0.0f;
    float fY = 0.0f;
    float fZ = 0.0f;
};
// No recording shows more than a day: the table never holds more samples.
inline constexpr int kMaxTableSamples = 24 * 60 * 60;
// Samples a table keeps beyond the video's own length (a log may run a little longer).
inline constexpr int kTableMarginSamples = 60;

// The telemetry table of the recording being played: ten entries per logged sample, entry
// index = tenths of a second of play position. The ten entries of a sample are identical,
// except for the axes of layouts that log the G-sensor more often than once a second.
class CAssistInfoReader {
public:
    void Clear();
    int GetCount() const;
    int GetSampleCount() const { return GetCount() / ENTRIES_PER_SAMPLE; }

    // Copy of entry index and 0; outside the table the miss values ("0" texts) and -1.
    int GetAssistInfo(int index, tagAssistInfo& out) const;
    // The entry without a copy, or nullptr outside the table (for per-entry consumers).
    const tagAssistInfo* Find(int index) const;

    // Readers: empty the table, then fill it. -1 when the path is shorter than 4 characters
    // or the file cannot be opened, else the number of entries.
    int ReadDatFile(const std::string& path);
    int ReadICatMovie(const std::string& path);
    int ReadNT96650Movie(const std::string& path);
    int ReadA7LMovie(const std::string& path);
    // The reader of the entry's layout. videoSeconds, when the caller knows the video's
    // length, bounds the table to that plus kTableMarginSamples seconds.
    int ReadRecording(const tagFileNode& node, double videoSeconds = 0.0);

    // Samples the table keeps (1 .. kMaxTableSamples); further appends are dropped. The
    // readers stop once the table is full, so a huge log costs no more than the limit.
    void SetSampleLimit(int samples);
    bool Full() const { return GetSampleCount() >= m_sampleLimit; }

    // Descrambles one log line in place and appends its sample; -1 when line is null.
    int ParseAssistLine(char* line, int shift);

    // Appends one sample as ENTRIES_PER_SAMPLE entries (nothing once the table is full).
    void AppendSample(const tagAssistInfo& sample);
    // The same, with axes of its own for each of the ten entries.
    void AppendSample(const tagAssistInfo& sample,
                      std::span<const EntryAxes, ENTRIES_PER_SAMPLE> entryAxes);

private:
    void KeepEveryEntry();

    // One row per sample (entry i is row i / 10) until a sample comes with axes per entry;
    // from then on one row per entry.
    std::vector<tagAssistInfo> m_rows;
    int m_entriesPerRow = ENTRIES_PER_SAMPLE;
    int m_sampleLimit = kMaxTableSamples;
};
