#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One sample of a source track, in the track's own time scale.
struct SourceSample
{
    uint64_t offset = 0;
    uint32_t size = 0;
    int64_t decode = 0;  // decoding time
    uint32_t duration = 0;
    int32_t composition = 0;  // presentation minus decoding time
    bool sync = true;
};

enum class TrackKind { Video, Audio };

struct SourceTrack
{
    TrackKind kind = TrackKind::Video;
    uint32_t timescale = 0;
    std::string sampleDescription;  // the whole "stsd" atom, copied as it is
    std::vector<SourceSample> samples;
    // Where presentation starts: media time of the first edit that shows media, minus the
    // length of any empty edit before it (both in the track's time scale).
    int64_t presentationShift = 0;
    uint32_t width = 0;  // tkhd's display size, 16.16 fixed point
    uint32_t height = 0;
    uint16_t language = 0x55C4;  // "und", packed as mdhd packs it

    int64_t end() const;  // decoding end of the last sample
    // Presentation time of a sample in seconds of the recording.
    double presentation(const SourceSample& sample) const;
};

// The video track and the first audio track of a recording: all a clip copies.
struct SourceMovie
{
    std::string path;
    SourceTrack video;
    std::optional<SourceTrack> audio;

    double videoSeconds() const;
};

// Reads a QuickTime/MP4 recording's tracks; nothing with the reason in `error` for a file
// that cannot be read, has no video track, or whose tables are damaged.
std::optional<SourceMovie> readSourceMovie(const std::string& path, std::string& error);
