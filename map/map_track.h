#pragma once

#include <QJsonArray>

#include <optional>
#include <string_view>
#include <vector>

// One position of a track, in signed decimal degrees.
struct MapPoint
{
    double latitude = 0;
    double longitude = 0;

    bool operator==(const MapPoint&) const = default;
};

using MapTrack = std::vector<MapPoint>;

// The position of two coordinate texts as the telemetry table holds them ("55.812345"),
// read the same in every locale; nothing when either text is not a number in range.
std::optional<MapPoint> mapPointFromTexts(std::string_view latitude, std::string_view longitude);

// A track as the page takes it: [[latitude, longitude], ...], with consecutive equal
// positions sent once.
QJsonArray trackToJson(const MapTrack& track);
