#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// Where and when a snapshot was taken, for the EXIF tags of its JPEG.
struct SnapshotTags
{
    // The frame's wall-clock time (DateTimeOriginal). Its offset from UTC is written with it
    // (OffsetTimeOriginal) unless it is a local time of unknown zone (Qt::LocalTime: a
    // camera's own clock). Invalid: no time tags.
    QDateTime frameTime;
    // When the fix was taken, for the GPS date and time stamps (in UTC); invalid when the
    // telemetry does not date it.
    QDateTime fixTime;
    struct Position
    {
        double latitude;   // degrees, north positive
        double longitude;  // degrees, east positive
    };
    std::optional<Position> position;  // without it no GPS tags at all
    std::optional<double> speedKmh;
    bool speedInMph = false;       // GPSSpeed in mph (ref M) rather than km/h (ref K)
    std::optional<double> course;  // degrees from true north
    QString layout;  // the telemetry layout the place was read from, in the description
    QString software = QStringLiteral("dashcam-player");
};

// The body of the JPEG's APP1 segment ("Exif\0\0" and the TIFF structure) for a picture
// of width x height; empty when it cannot be built.
std::vector<unsigned char> exifSegment(const SnapshotTags& tags, int width, int height);
