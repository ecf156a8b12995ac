#pragma once

#include <optional>

#include "telemetry/telemetry_table.h"
#include "telemetry/timed_track.h"

// How a decoded track becomes the table, the same for every layout that decodes one.
//
// Sample i stands for second i of the video, [i, i + 1) s:
//  - its position, speed and course are those of the first fix at or after i s, when that
//    fix comes before (i + 1) s; a void fix, or no fix in that second, is no position
//    (speed 0, course 0), so the track never jumps ahead to a later second;
//  - entry j of it (j = 0..9) takes the axes of the first acceleration at or after
//    (i + j/10) s, when that comes less than a second later; otherwise 0 g.
// The table has one sample per second up to the second of the last fix or acceleration,
// and no more than the video's begun seconds (videoSeconds, when known) nor ten seconds per
// record: a length or a time stamp claimed by an index alone fills nothing, and play
// positions past the table read as misses.
// Records are taken in the order given (the decoders keep video time order).
void fillTable(const TimedTrack& track, std::optional<double> videoSeconds, TelemetryTable& table);

// How far after a sample's (or entry's) time a record may lie and still be taken for it.
inline constexpr double kTrackWindowSeconds = 1.0;

// The table keeps decoded coordinates to this many fraction digits (about a centimetre).
inline constexpr int kTableDecimals = 7;
// A decoded coordinate as the table keeps it.
Degrees tableDegrees(double degrees);
