#pragma once

#include <cstdint>
#include <optional>

#include "telemetry/atom_walker.h"

// The movie header (moov/mvhd) of a recording, found by walking the atoms wherever the
// muxer put them; versions 0 and 1.
struct MovieHeader
{
    uint64_t creation = 0;  // seconds since 1904-01-01 UTC, as stored
    uint32_t timescale = 0;
    uint64_t duration = 0;  // in timescale units

    // The movie's length in seconds; 0 without a time scale.
    double seconds() const;
};

std::optional<MovieHeader> readMovieHeader(BinaryFile& file);

// When the recording started, in ms since 1970 UTC. The fixed places where the older
// chips' layouts put the creation time are taken when they hold a real version-0 mvhd;
// otherwise the walked header. Nothing when the time is before 1990 or more than a day
// after nowMs: a camera without a set clock, not a time to show or to group trips by.
std::optional<int64_t> readRecordingStartUtcMs(BinaryFile& file, int64_t nowMs);
// The same against the system clock.
std::optional<int64_t> readRecordingStartUtcMs(BinaryFile& file);
