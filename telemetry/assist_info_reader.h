#pragma once

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

    // Both texts at least 7 characters: an empty text and the miss text "0" are no position.
    bool HasPosition() const { return strLongitude.size() >= 7 && strLatitude.size() >= 7; }
};

inline constexpr int ENTRIES_PER_SAMPLE = 10;

// The telemetry table of the recording being played: ten identical entries per logged
// sample, entry index = tenths of a second of play position.
class CAssistInfoReader {
public:
    void Clear();
    int GetCount() const;

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
    // The reader a play list entry calls for: its chip's movie reader, else its sidecar.
    int ReadRecording(const tagFileNode& node);

    // Descrambles one log line in place and appends its sample; -1 when line is null.
    int ParseAssistLine(char* line, int shift);

    // Appends one sample as ENTRIES_PER_SAMPLE entries.
    void AppendSample(const tagAssistInfo& sample);

private:
    std::vector<tagAssistInfo> m_samples;  // one per sample; entry i is sample i / 10
};
