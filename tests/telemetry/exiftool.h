#pragma once

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

// ExifTool's reading of a file's embedded GPS track (-ee: every sample, -n: numbers), the
// independent judge of the readers and writers of camera layouts.
struct ExifFix
{
    double latitude = 0.0;
    double longitude = 0.0;
};

// ExifTool lists every latitude of a document (one per embedded sample group), then every
// longitude: the n-th of each make the n-th fix.
inline std::vector<ExifFix> exifToolFixes(const std::string& path)
{
    const std::string command =
        "exiftool -q -q -api LargeFileSupport=1 -ee -n -a -G3 -s -s -GPSLatitude -GPSLongitude '" +
        path + "' 2>/dev/null";
    std::map<std::string, std::pair<std::vector<double>, std::vector<double>>> documents;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {};
    }
    char group[64];
    char tag[64];
    double value = 0.0;
    while (std::fscanf(pipe, "%63s %63s %lf", group, tag, &value) == 3) {
        auto& [latitudes, longitudes] = documents[group];
        (std::string(tag) == "GPSLatitude:" ? latitudes : longitudes).push_back(value);
    }
    ::pclose(pipe);
    std::vector<ExifFix> fixes;
    for (const auto& [group, coordinates] : documents) {
        for (size_t i = 0; i < coordinates.first.size() && i < coordinates.second.size(); ++i) {
            fixes.push_back({coordinates.first[i], coordinates.second[i]});
        }
    }
    return fixes;
}

// Metres between two positions (equirectangular: fine at these distances).
inline double metresBetween(double lat1, double lon1, double lat2, double lon2)
{
    constexpr double kRadians = 3.14159265358979323846 / 180.0;
    const double north = (lat2 - lat1) * kRadians;
    const double east = (lon2 - lon1) * kRadians * std::cos((lat1 + lat2) / 2 * kRadians);
    return std::hypot(north, east) * 6371000.0;
}
