#pragma once

#include <optional>
#include <string>

#include "telemetry/atom_walker.h"
#include "telemetry/timed_track.h"

// Novatek "freeGPS " blocks: `free` atoms inside the media data ("freeGPS " right after the
// size), one GPS record each, usually one per second at 32 KiB boundaries of the file.
// A `gps ` atom in `moov` indexes them (version and flags, count, then big-endian position
// and size pairs); without it they are found by scanning the media data.
//
// Records, told apart in this order (offsets from the block's size field; integers
// little-endian):
// - sentences: camera date-time text "YYYYMMDDhhmmss" at 52, accelerations at 68 (three
//   int32, 256 per g), then "$..RMC" / "$..GGA" sentences;
// - early: hour, minute, second, year (from 2000; a full year means local time), month,
//   day as int32 at 16, status 'A'/'V' at 40, hemisphere letters at 41 and 42, then floats
//   latitude and longitude (DDMM.mmmm), speed (knots) and heading at 44, accelerations at
//   60 (three int32, 256 per g; all zero or 1..6 as int16 means none);
// - common: the same fields from 48 (status at 72, floats at 76), no accelerations; a
//   block of 136 bytes or more may repeat latitude and longitude as doubles at 112 and 128.

// A `gps ` index in `moov` whose first entries point at a freeGPS block, or without one, a
// freeGPS block at a 32 KiB boundary of the file within the first 1 MiB of the first
// `mdat` (at most 32 small reads: detection runs for every listed recording; the
// decoding scans all of the media data).
bool detectFreeGps(BinaryFile& file);

// The fixes (and accelerations) of the blocks the index lists, or when the index lists
// none, of the blocks found by scanning every top-level `mdat` byte by byte. The blocks
// carry no video time: block k (in index or file order, counting every freeGPS block) is
// second k, as these cameras write one block per second. A void status gives a fix with
// valid false. A block starting inside the bytes read of the previous one is skipped and
// index entries are read only in increasing order, so the bytes read stay proportional to
// the file's size whatever the index claims. Nothing, with the reason, when no block is
// found or no block holds a known record.
std::optional<TimedTrack> decodeFreeGps(BinaryFile& file, std::string& reason);
