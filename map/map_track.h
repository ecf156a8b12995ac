#pragma once

#include <QJsonArray>

#include <vector>

// One position of a track, in signed decimal degrees.
struct MapPoint
{
    double latitude = 0;
    double longitude = 0;

    bool operator==(const MapPoint&) const = default;
};

using MapTrack = std::vector<MapPoint>;

// A track as the page takes it: [[latitude, longitude], ...], with consecutive equal
// positions sent once.
QJsonArray trackToJson(const MapTrack& track);
