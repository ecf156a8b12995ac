#include "telemetry/trip_summary.h"

#include <cmath>
#include <numbers>
#include <optional>

#include "telemetry/telemetry_table.h"

namespace {

constexpr double kEarthRadiusMetres = 6371008.8;  // IUGG mean radius

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

std::optional<GeoPoint> positionOf(const TelemetryEntry& sample)
{
    if (!sample.position || !isOnEarth(*sample.position)) {
        return std::nullopt;
    }
    return GeoPoint{sample.position->latitude.value, sample.position->longitude.value};
}

double sum(std::span<const GeoPoint> points)
{
    double metres = 0.0;
    for (size_t i = 1; i < points.size(); ++i) {
        metres += greatCircleMetres(points[i - 1], points[i]);
    }
    return metres;
}

GPeak strongestPeak(const TelemetryTable& table)
{
    const int count = table.count();
    if (count == 0) {
        return {};
    }
    const std::array<double, 3> mean = meanG(table);
    GPeak peak;
    for (int i = 0; i < count; ++i) {
        const double g = gFromRest(*table.find(i), mean);
        if (g > peak.g) {
            peak = {g, i};
        }
    }
    return peak;
}

// Whole seconds from the end of one recording to the start of the next: zero when they
// overlap; none when either start is unknown or the break is longer than a trip allows.
// A header without a length ends with the log.
std::optional<int> secondsBetween(const TrackDigest& before, const TrackDigest& after)
{
    if (!before.clock.startUtcMs || !after.clock.startUtcMs) {
        return std::nullopt;
    }
    const double length = before.clock.seconds > 0.0 ? before.clock.seconds : before.seconds;
    const double end = static_cast<double>(*before.clock.startUtcMs) + length * 1000.0;
    const double gapMs = std::max(0.0, static_cast<double>(*after.clock.startUtcMs) - end);
    if (gapMs > static_cast<double>(kTripGapMs)) {
        return std::nullopt;
    }
    return static_cast<int>(std::lround(gapMs / 1000.0));
}

}  // namespace

double greatCircleMetres(const GeoPoint& a, const GeoPoint& b)
{
    const double dLat = radians(b.latitude - a.latitude);
    const double dLon = radians(b.longitude - a.longitude);
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(radians(a.latitude)) * std::cos(radians(b.latitude)) *
                         std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusMetres * std::asin(std::sqrt(std::min(1.0, h)));
}

TrackDigest digestTable(const TelemetryTable& table)
{
    TrackDigest digest;
    for (int i = 0, count = table.count(); i < count; i += kEntriesPerSample) {
        const TelemetryEntry& sample = *table.find(i);
        ++digest.seconds;
        if (const auto position = positionOf(sample)) {
            digest.positions.push_back(*position);
            digest.maxKmh = std::max(digest.maxKmh, sample.speedKmh);
        }
    }
    digest.metres = sum(digest.positions);
    digest.peak = strongestPeak(table);
    return digest;
}

TripSummary summariseTrip(std::span<const TrackDigest* const> parts)
{
    TripSummary summary;
    const GeoPoint* last = nullptr;
    bool timedSinceLast = true;  // every gap since the last position has a known length
    for (size_t i = 0; i < parts.size(); ++i) {
        const TrackDigest& part = *parts[i];
        if (i > 0) {
            const std::optional<int> gap = secondsBetween(*parts[i - 1], part);
            summary.seconds += gap.value_or(0);
            timedSinceLast = timedSinceLast && gap;
        }
        summary.metres += part.metres;
        if (last && timedSinceLast && !part.positions.empty()) {
            summary.metres += greatCircleMetres(*last, part.positions.front());
        }
        if (!part.positions.empty()) {
            last = &part.positions.back();
            timedSinceLast = true;
        }
        summary.seconds += part.seconds;
        summary.maxKmh = std::max(summary.maxKmh, part.maxKmh);
        if (part.peak.entry >= 0 && part.peak.g > summary.peak.g) {
            summary.peak = part.peak;
            summary.peakPart = static_cast<int>(i);
        }
    }
    if (summary.seconds > 0) {
        summary.averageKmh = summary.metres / summary.seconds * 3.6;
    }
    return summary;
}
