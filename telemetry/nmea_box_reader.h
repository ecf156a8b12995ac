#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "telemetry/atom_walker.h"
#include "telemetry/timed_track.h"

// NMEA in a box: a `gps ` box of text lines "[unix milliseconds]$GPRMC,...", beside a `3gf `
// box of accelerometer records (big-endian: 32-bit milliseconds of video, three signed
// 16-bit axes, 128 per g; all-ones time ends the list). The boxes sit in a top-level
// `free` atom or in `moov`.

// A `gps ` box whose text starts with "[" or "$", in a top-level `free` atom or in `moov`.
bool detectNmeaBox(BinaryFile& file);

// Fixes from the RMC lines (from the GGA lines when the log has no RMC), on video time
// (line milliseconds minus the `sttm` start when it comes before the first line, else
// minus the first line's); lines without a time count one second each. Accelerations from
// the `3gf ` box. Nothing, with the reason, when there is no log or it holds no fix.
std::optional<TimedTrack> decodeNmeaBox(BinaryFile& file, std::string& reason);

// ---- Shared with the other layouts that carry sentences ----------------------------

// The fix of one "$..RMC" or "$..GGA" sentence (any two-letter talker), through the
// sentence parser: RMC gives speed (knots x 1.852), course and, with its date, the UTC
// time; valid when the status is 'A'. GGA gives the position only; valid when its fix
// quality is not 0. Either is invalid without a position. videoSeconds stays 0. Nothing
// for any other sentence or one the parser does not accept.
std::optional<TimedFix> fixFromSentence(std::string_view sentence);

// Milliseconds since 1970 of a UTC date and time; nothing when a field is out of range
// (year 1970-2199, second up to 60).
std::optional<std::int64_t> utcMilliseconds(int year, int month, int day, int hour, int minute,
                                            int second, int millisecond = 0);
