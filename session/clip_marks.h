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

// The recordings of one channel from the in mark's to the out mark's, in the trip's play
// order.
struct MarkedSpan
{
    Channel channel = Channel::Front;  // the marked recordings' own, by their names
    std::vector<std::string> recordings;
    double in = 0.0;                    // seconds into the first
    double out = 0.0;                   // seconds into the last
    std::optional<int64_t> startUtcMs;  // of the in mark, when its recording has a time
};

// The span between the marks: both set, both listed, in one trip and one channel, the out
// mark after the in mark. Rows of the trip of other channels (a camera's rear files listed
// beside its front ones) are left out. Nothing, with the reason in `problem`, otherwise.
std::optional<MarkedSpan> markedSpan(const ClipMarks& marks, const PlaylistCatalogue& list,
                                     const TripIndex& trips, QString& problem);

// One request per channel of the span (the marked one, until rows are moments of several
// channels) into the folder, each under the first name none of whose files exists there.
std::vector<ClipRequest> clipRequests(const MarkedSpan& span, const std::string& folder,
                                      SpeedUnit unit);
