#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "clip/clip_export.h"
#include "telemetry/channel_names.h"

class PlaylistCatalogue;
class TripIndex;

// A place in a recording: where a clip begins or ends. Kept by file, not by list row or
// seek-bar value, so that it holds while other recordings play and the list changes.
struct ClipMark
{
    std::string file;
    double seconds = 0.0;
};

struct ClipMarks
{
    std::optional<ClipMark> in;
    std::optional<ClipMark> out;
};

// One channel's recordings from the in mark's moment to the out mark's, in the trip's play
// order, with the marks on that channel's own clock.
struct ChannelSpan
{
    Channel channel = Channel::Front;
    std::vector<std::string> recordings;
    double in = 0.0;   // seconds into the first
    double out = 0.0;  // seconds into the last
};

// What the marks cover: every channel of the marked moments, the main one first.
struct MarkedSpan
{
    std::vector<ChannelSpan> channels;
    std::optional<int64_t> startUtcMs;  // of the in mark, when its recording has a time
};

// The span between the marks: both set, both listed, in one trip and one channel, the out
// mark after the in mark. Rows of the trip of other channels (a camera's rear files listed
// beside its front ones) are left out. The marks are times of the moment; each channel's
// start in it (by startOf) places them on its own clock. A channel that recorded nothing
// between them is left out; one missing from a moment of the span makes none. Nothing,
// with the reason in `problem`, otherwise.
std::optional<MarkedSpan> markedSpan(const ClipMarks& marks, const PlaylistCatalogue& list,
                                     const TripIndex& trips, const StartTimeOf& startOf,
                                     QString& problem);

// One request per channel of the span into the folder, each under the first name none of
// whose files exists there, with the channel's letter at its end.
std::vector<ClipRequest> clipRequests(const MarkedSpan& span, const std::string& folder,
                                      SpeedUnit unit);
