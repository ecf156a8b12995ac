#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "telemetry/timed_track.h"

// ExifTool as the independent judge of a written layout: the numbers of each line that
// `exiftool -ee -n -p FORMAT FILE` prints (one line per embedded fix or record).
inline std::vector<std::vector<double>> exifToolLines(const std::string& path,
                                                      const std::string& format)
{
    const std::string command = "exiftool -ee -n -p '" + format + "' '" + path + "' 2>/dev/null";
    std::vector<std::vector<double>> lines;
    FILE* pipe = ::popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr) << "cannot run exiftool";
    if (pipe == nullptr) {
        return lines;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        std::string text(buffer);
        for (char& c : text) {
            if (c == ',') {
                c = ' ';
            }
        }
        std::istringstream in(text);
        std::vector<double> numbers;
        for (double value; in >> value;) {
            numbers.push_back(value);
        }
        lines.push_back(numbers);
    }
    EXPECT_EQ(::pclose(pipe), 0) << "exiftool failed (is libimage-exiftool-perl installed?)";
    return lines;
}

// ExifTool's fixes must be our valid fixes, in order: positions within 1e-5 degrees,
// speeds (km/h on both sides) within 1e-3.
inline void expectExifToolAgrees(const std::string& path, const TimedTrack& track)
{
    const auto lines = exifToolLines(path, "$GPSLatitude $GPSLongitude $GPSSpeed");
    std::vector<TimedFix> valid;
    for (const TimedFix& fix : track.fixes) {
        if (fix.valid) {
            valid.push_back(fix);
        }
    }
    ASSERT_EQ(lines.size(), valid.size()) << path;
    for (size_t i = 0; i < valid.size(); ++i) {
        ASSERT_EQ(lines[i].size(), 3u) << path << " line " << i;
        EXPECT_NEAR(valid[i].latitude, lines[i][0], 1e-5) << path << " fix " << i;
        EXPECT_NEAR(valid[i].longitude, lines[i][1], 1e-5) << path << " fix " << i;
        EXPECT_NEAR(valid[i].speedKmh, lines[i][2], 1e-3) << path << " fix " << i;
    }
}

// ExifTool's accelerometer values times scale must be the given accelerations, in order.
inline void expectExifToolAccelerations(const std::string& path,
                                        const std::vector<TimedAcceleration>& accelerations,
                                        double scale)
{
    const auto lines = exifToolLines(path, "$Accelerometer");
    ASSERT_EQ(lines.size(), accelerations.size()) << path;
    for (size_t i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(lines[i].size(), 3u) << path << " record " << i;
        const TimedAcceleration& a = accelerations[i];
        EXPECT_NEAR(a.x, lines[i][0] * scale, 1e-6) << path << " record " << i;
        EXPECT_NEAR(a.y, lines[i][1] * scale, 1e-6) << path << " record " << i;
        EXPECT_NEAR(a.z, lines[i][2] * scale, 1e-6) << path << " record " << i;
    }
}
