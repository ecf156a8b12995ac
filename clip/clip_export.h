#pragma once

#include <functional>
#include <string>
#include <vector>

#include "clip/clip_telemetry.h"
#include "clip/mp4_writer.h"
#include "telemetry/speed_unit.h"

// A re-encode of the lossless clip: read `source`, write `target` (both in the target
// folder, under temporary names the export owns).
struct Reencode
{
    std::string source;
    std::string target;
    bool hasAudio = false;
    double seconds = 0.0;
    std::function<OverlayText(double clipSeconds)> overlayAt;
};
// False with the reason; obeys the control's cancel flag and reports its progress.
using Reencoder = std::function<bool(const Reencode&, const CopyControl&, std::string& error)>;

// A span of one channel's recordings to take out as a clip.
struct ClipRequest
{
    std::vector<std::string> recordings;  // consecutive, in play order
    double in = 0.0;                      // seconds into the first recording
    double out = 0.0;                     // seconds into the last recording
    std::string folder;                   // where the clip goes
    std::string name;                     // its file name without extension
    SpeedUnit unit = SpeedUnit::Kmh;      // of the speeds in the text track
    Reencoder reencode;                   // none: the lossless clip is the clip
};

struct ClipResult
{
    bool ok = false;
    std::string error;                 // why not, when not ok
    std::vector<std::string> written;  // the clip (.mp4), then its .gpx and .csv
};

// Cuts the span by stream copy into NAME.mp4 with a text track of the telemetry, and
// writes NAME.gpx and NAME.csv beside it. Each file is written under a temporary name and
// named at the end, and only when all three are complete; none replaces an existing
// file. On failure or cancel nothing is left behind. Safe on a worker thread; progress is
// called on it.
ClipResult exportClip(const ClipRequest& request, const CopyControl& control);

// NAME, else NAME-2, NAME-3 ...: the first name none of whose files exists in the folder.
std::string unusedClipName(const std::string& folder, const std::string& name);

// The clip's files for a name: NAME.mp4, NAME.gpx, NAME.csv in the folder.
std::vector<std::string> clipFiles(const std::string& folder, const std::string& name);
