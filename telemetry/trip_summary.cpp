#include "trip_summary.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>

#include "assist_info_reader.h"

namespace {

constexpr double kEarthRadiusMetres = 6371008.8;  // IUGG mean radius

double Radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

std::optional<double> Degrees(const std::string& text, double limit)
{
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !(std::abs(value) <= limit))
        return std::nullopt;
    return value;
}

std::optional<GeoPoint> PositionOf(const tagAssistInfo& sample)
{
    if (!sample.HasPosition())
        return std::nullopt;
    const auto latitude = Degrees(sample.strLatitude, 90.0);
    const auto longitude = Degrees(sample.strLongitude, 180.0);
    if (!latitude || !longitude)
        return std::nullopt;
    return GeoPoint{*latitude, *longitude};
}

double Sum(std::span<const GeoPoint> points)
{
    double metres = 0.0;
    for (size_t i = 1; i < points.size(); ++i)
        metres += GreatCircleMetres(points[i - 1], points[i]);
    return metres;
}

GPeak StrongestPeak(const CAssistInfoReader& table)
{
    const int count = table.GetCount();
    if (count == 0)
        return {};
    double mean[3] = {};
    for (int i = 0; i < count; ++i) {
        const tagAssistInfo& e = *table.Find(i);
        mean[0] += e.fX;
        mean[1] += e.fY;
        mean[2] += e.fZ;
    }
    for (double& m : mean)
        m /= count;
    GPeak peak;
    for (int i = 0; i < count; ++i) {
        const tagAssistInfo& e = *table.Find(i);
        const double g = std::hypot(e.fX - mean[0], e.fY - mean[1], e.fZ - mean[2]);
        if (g > peak.g)
            peak = {g, i};
    }
    return peak;
}

}  // namespace

double GreatCircleMetres(const GeoPoint& a, const GeoPoint& b)
{
    const double dLat = Radians(b.latitude - a.latitude);
    const double dLon = Radians(b.longitude - a.longitude);
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(Radians(a.latitude)) * std::cos(Radians(b.latitude)) *
                         std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusMetres * std::asin(std::sqrt(std::min(1.0, h)));
}

TrackDigest DigestTable(const CAssistInfoReader& table)
{
    TrackDigest digest;
    for (int i = 0, count = table.GetCount(); i < count; i += ENTRIES_PER_SAMPLE) {
        const tagAssistInfo& sample = *table.Find(i);
        ++digest.seconds;
        if (const auto position = PositionOf(sample)) {
            digest.positions.push_back(*position);
            digest.maxKmh = std::max(digest.maxKmh, sample.nSpeed);
        }
    }
    digest.metres = Sum(digest.positions);
    digest.peak = StrongestPeak(table);
    return digest;
}

TripSummary SummariseTrip(std::span<const TrackDigest* const> parts)
{
    TripSummary summary;
    const GeoPoint* last = nullptr;
    for (size_t i = 0; i < parts.size(); ++i) {
        const TrackDigest& part = *parts[i];
        summary.metres += part.metres;
        if (last && !part.positions.empty())
            summary.metres += GreatCircleMetres(*last, part.positions.front());
        if (!part.positions.empty())
            last = &part.positions.back();
        summary.seconds += part.seconds;
        summary.maxKmh = std::max(summary.maxKmh, part.maxKmh);
        if (part.peak.entry >= 0 && part.peak.g > summary.peak.g) {
            summary.peak = part.peak;
            summary.peakPart = static_cast<int>(i);
        }
    }
    if (summary.seconds > 0)
        summary.averageKmh = summary.metres / summary.seconds * 3.6;
    return summary;
}
