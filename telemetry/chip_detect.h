#pragma once

#include <optional>
#include <string>

#include "play_list.h"

// Broken-down UTC time of a movie header (month 1-12, full year).
struct MovieTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Sets bICat, bAmbarella or bNT96650 of node from the file's layout; none when unknown.
void DetectChip(const std::string& path, tagFileNode& node);

// Creation time of the movie header, or nothing.
std::optional<MovieTime> ReadMovieTime(const std::string& path);
