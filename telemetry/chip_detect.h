#pragma once

#include <optional>
#include <string>

#include "telemetry/atom_walker.h"

// Broken-down UTC time of a movie header (month 1-12, full year).
struct MovieTime
{
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

// The file ends with the name of an ICAT chip ("ICAT6330" or "ICAT6350").
bool endsWithIcatName(BinaryFile& file);
// The chip text of the movie's user data (moov/udta): the bytes after the size field of its
// first child, as many as that field says (at most 64). Empty when there is none.
std::string udtaChipText(BinaryFile& file);
// The chip text names this chip.
bool namesChip(std::string_view chipText, std::string_view chip);

// The movie's length from its header (moov/mvhd duration over time scale), or nothing.
std::optional<double> readMovieSeconds(BinaryFile& file);

// Broken-down UTC of milliseconds since 1970.
MovieTime utcTime(int64_t ms);

// When the recording started (readRecordingStartUtcMs), or nothing.
std::optional<MovieTime> readMovieTime(const std::string& path);
