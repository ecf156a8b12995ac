#pragma once

#include <optional>
#include <span>
#include <vector>

#include "telemetry/trip.h"

class TelemetryTable;

// A position in signed decimal degrees.
struct GeoPoint
{
    double latitude = 0.0;
    double longitude = 0.0;
};

// Great-circle distance on the mean earth sphere (haversine).
double greatCircleMetres(const GeoPoint& a, const GeoPoint& b);

// The strongest G-sensor peak: the largest change of the acceleration from the
// recording's mean (which holds gravity and how the camera is mounted).
struct GPeak
{
    double g = 0.0;
    int entry = -1;  // entry index (tenths of a second) in its recording; -1 none
};

// What one recording adds to its trip, kept so that a trip is summed without reading again.
struct TrackDigest
{
    std::vector<GeoPoint> positions;  // one per logged sample with a position
    double metres = 0.0;              // along positions
    int seconds = 0;                  // logged samples
    int maxKmh = 0;
    GPeak peak;
    RecordingClock clock;  // when it was recorded: set by the caller, who knows the file
};

TrackDigest digestTable(const TelemetryTable& table);

struct TripSummary
{
    // Along every position of the trip; a join of two recordings counts only when the time
    // between them is known, so that distance and time cover the same drive.
    double metres = 0.0;
    int seconds = 0;  // logged time of all recordings and the time between them
    int maxKmh = 0;
    double averageKmh = 0.0;  // metres over seconds
    GPeak peak;
    int peakPart = -1;  // index into the parts given
};

// Parts in play order.
TripSummary summariseTrip(std::span<const TrackDigest* const> parts);
