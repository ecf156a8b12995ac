#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// Where and when a snapshot was taken, for the EXIF tags of its JPEG.
struct SnapshotTags
{
    // The frame's time. A UTC time (the telemetry's) is written with offset +00:00 and also
    // as the GPS date and time stamp; any other (the recording's own clock) as it is.
    // Invalid: no time tags.
    QDateTime frameTime;
    struct Position
    {
        double latitude;   // degrees, north positive
        double longitude;  // degrees, east positive
    };
    std::optional<Position> position;  // without it no GPS tags at all
    std::optional<double> speedKmh;
    bool speedInMph = false;       // GPSSpeed in mph (ref M) rather than km/h (ref K)
    std::optional<double> course;  // degrees from true north
    QString model;                 // the camera layout
    QString make = QStringLiteral("dashcam-player");
};

// The body of the JPEG's APP1 segment ("Exif\0\0" and the TIFF structure) for a picture
// of width x height; empty when it cannot be built.
std::vector<unsigned char> exifSegment(const SnapshotTags& tags, int width, int height);
