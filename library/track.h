#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class TelemetryTable;

// One point of a recording's stored track. tMs counts from the track's base time (UTC ms
// since 1970 when the recording is dated, else from its first logged second).
struct TrackPoint
{
    double latitude = 0.0;
    double longitude = 0.0;
    std::int64_t tMs = 0;
};

// A recording's track as the library keeps it.
struct StoredTrack
{
    std::optional<std::int64_t> baseUtcMs;  // nothing: the recording's time is not known
    std::vector<TrackPoint> points;         // in time order
};

// Decimation and simplification of a logged track.
inline constexpr std::int64_t kTrackStepMs = 1000;    // at most one point per second
inline constexpr double kTrackToleranceMetres = 5.0;  // no kept point moves further than this

// The fixes of a telemetry table on earth, at most one per second, in time order. A fix
// takes its own UTC when the log dates it, else startUtcMs plus its second in the video.
StoredTrack trackFromTable(const TelemetryTable& table, std::optional<std::int64_t> startUtcMs);

// The track with every point dropped whose position lies within toleranceMetres of where
// the simplified track puts the car at that point's time (so stops and speed changes stay).
std::vector<TrackPoint> simplifyTrack(std::span<const TrackPoint> points,
                                      double toleranceMetres = kTrackToleranceMetres);

// Compact form, Tiny WKB (TWKB, which PostGIS reads: a server indexes the track without a
// second copy): a line (a point when there is one fix) with M, per point the longitude and
// latitude in 1e-5 degrees (about a metre) and M the time in tenths of a second, each as a
// zigzag varint delta from the point before.
std::string encodeTrack(std::span<const TrackPoint> points);
// The points of an encoded track (also of the form written before TWKB); nothing when the
// bytes are not one (damaged or foreign).
std::optional<std::vector<TrackPoint>> decodeTrack(std::string_view bytes);

// Great-circle distance in metres (haversine on a sphere of the mean earth radius).
double haversineMetres(double lat1, double lon1, double lat2, double lon2);

// Where along the track the car came closest to a place, and when.
struct Approach
{
    double metres = 0.0;
    TrackPoint point;  // between stored points, interpolated in position and time
};
// Nothing for an empty track.
std::optional<Approach> closestApproach(std::span<const TrackPoint> points, double latitude,
                                        double longitude);

// The position at tMs (interpolated between the stored points around it); nothing outside
// the track's time range.
std::optional<TrackPoint> positionAt(std::span<const TrackPoint> points, std::int64_t tMs);
