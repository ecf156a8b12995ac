#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "clip/source_movie.h"

enum class ClipTrackKind { Video, Audio, Text };

// One sample of the clip: bytes of a source recording (source >= 0, at offset) or, for a
// text track, the clip track's own payload number `offset` (source -1).
struct ClipSample
{
    int source = 0;
    uint64_t offset = 0;
    uint32_t size = 0;
    uint32_t duration = 0;
    int32_t composition = 0;
    bool sync = true;
};

struct ClipTrack
{
    ClipTrackKind kind = ClipTrackKind::Video;
    uint32_t timescale = 0;
    std::string sampleDescription;  // whole "stsd" atom
    std::vector<ClipSample> samples;
    std::vector<std::string> payloads;  // the samples of a text track
    int64_t mediaStart = 0;             // media time shown at the track's start
    int64_t emptyStart = 0;             // time the track shows nothing first, in its own scale
    uint32_t width = 0;                 // 16.16
    uint32_t height = 0;
    uint16_t language = 0x55C4;

    int64_t mediaDuration() const;
    // Where the last frame shown ends in media time (past mediaDuration() when frames
    // decoded last are shown earlier).
    int64_t mediaShownEnd() const;
    // What the track shows, from the clip's start: the empty start and the media from
    // mediaStart to its shown end, in seconds.
    double seconds() const;
};

// Where a recording's picture lies in the clip: clip time = recording time + shift.
struct RecordingSpan
{
    int source = 0;
    double clipBegin = 0.0;
    double clipEnd = 0.0;
    double shift = 0.0;
};

struct ClipPlan
{
    std::vector<ClipTrack> tracks;  // video first, then audio when the recordings have it
    std::vector<RecordingSpan> spans;
    double seconds = 0.0;      // the clip's length: its video's
    double firstSecond = 0.0;  // the first recording's time where the clip starts
};

// The lossless cut of [in, out]: in is a time of the first movie, out one of the last;
// every movie is a recording of one channel that follows the one before without a break.
// The clip starts at the key frame at or before in and ends at or after out, the video of
// each recording following the last frame of the one before. Audio is placed by each
// recording's own timing, so it stays in step: a sample of an earlier recording that would
// start after the next recording's first one is left out, and each sample lasts until the
// next begins. Nothing, with the reason, when the recordings cannot be joined so.
std::optional<ClipPlan> planClip(const std::vector<SourceMovie>& movies, double in, double out,
                                 std::string& error);
