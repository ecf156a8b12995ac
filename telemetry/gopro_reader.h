#pragma once

#include <optional>
#include <string>

#include "telemetry/atom_walker.h"
#include "telemetry/timed_track.h"

// GoPro's GPMF telemetry (and that of the cameras reusing it): a timed-metadata track whose
// handler is "meta" and whose sample description is "gpmd", each sample one GPMF payload.

// The movie has such a track.
bool detectGoPro(BinaryFile& movie);
// Its GPS fixes and accelerations on the video's time line; nothing, and why, when the
// movie has no such track or the track no GPS or accelerometer data.
std::optional<TimedTrack> readGoPro(BinaryFile& movie, std::string& why);
