#include "library/track.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "telemetry/telemetry_table.h"

namespace {

constexpr double kEarthRadiusMetres = 6371008.8;
constexpr double kRadians = M_PI / 180.0;
constexpr double kDegreeUnits = 1e5;  // stored coordinate units per degree
constexpr std::int64_t kTimeUnitMs = 100;
// The form written before tracks were TWKB; still read.
constexpr unsigned char kLegacyTrackVersion = 1;
// TWKB's header: the geometry type under the coordinates' precision (5 decimals, zigzag);
// the extended-dimensions flag, alone or with "empty"; M present at 1 decimal (seconds).
constexpr unsigned char kTwkbPoint = 0xA1;
constexpr unsigned char kTwkbLine = 0xA2;
constexpr unsigned char kTwkbExtended = 0x08;
constexpr unsigned char kTwkbEmpty = 0x10;
constexpr unsigned char kTwkbTimeDimension = 0x22;
constexpr std::int64_t kDeltaLimit = std::int64_t(1) << 40;
constexpr size_t kSimplifyWindow = 1800;  // points: half an hour at one a second

// Metres east and north of an origin, flat over the few kilometres between two points.
struct Offset
{
    double east = 0.0;
    double north = 0.0;
};

Offset offsetFrom(const TrackPoint& origin, double latitude, double longitude)
{
    const double metresPerRadian = kEarthRadiusMetres;
    return {(longitude - origin.longitude) * kRadians * std::cos(origin.latitude * kRadians) *
                metresPerRadian,
            (latitude - origin.latitude) * kRadians * metresPerRadian};
}

TrackPoint interpolate(const TrackPoint& a, const TrackPoint& b, double fraction)
{
    return {a.latitude + (b.latitude - a.latitude) * fraction,
            a.longitude + (b.longitude - a.longitude) * fraction,
            a.tMs + std::llround(static_cast<double>(b.tMs - a.tMs) * fraction)};
}

// How far the point lies from where the segment puts the car at the point's time.
double timedDeviation(const TrackPoint& a, const TrackPoint& b, const TrackPoint& p)
{
    const double span = static_cast<double>(b.tMs - a.tMs);
    const double fraction = span > 0 ? static_cast<double>(p.tMs - a.tMs) / span : 0.0;
    const TrackPoint expected = interpolate(a, b, fraction);
    const Offset d = offsetFrom(expected, p.latitude, p.longitude);
    return std::hypot(d.east, d.north);
}

void putUnsignedVarint(std::string& out, std::uint64_t value)
{
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

void putVarint(std::string& out, std::int64_t value)
{
    putUnsignedVarint(out, (static_cast<std::uint64_t>(value) << 1) ^
                               static_cast<std::uint64_t>(value >> 63));
}

bool takeUnsignedVarint(std::string_view& in, std::uint64_t& value)
{
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (in.empty()) {
            return false;
        }
        const auto byte = static_cast<unsigned char>(in.front());
        in.remove_prefix(1);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

bool takeVarint(std::string_view& in, std::int64_t& value)
{
    std::uint64_t zigzag = 0;
    if (!takeUnsignedVarint(in, zigzag)) {
        return false;
    }
    value = static_cast<std::int64_t>(zigzag >> 1) ^ -static_cast<std::int64_t>(zigzag & 1);
    return true;
}

// The points as deltas from the one before (order: first, second and third of each
// point's values); nothing when the bytes run out early, run on, or jump absurdly.
std::optional<std::vector<TrackPoint>> takePoints(std::string_view bytes, std::int64_t count,
                                                  bool longitudeFirst)
{
    // Every point takes at least three bytes: a count beyond that is a damaged blob.
    if (count < 0 || count > std::int64_t(bytes.size() / 3)) {
        return std::nullopt;
    }
    std::vector<TrackPoint> points;
    points.reserve(static_cast<size_t>(count));
    std::int64_t a = 0, b = 0, t = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        std::int64_t dA = 0, dB = 0, dT = 0;
        if (!takeVarint(bytes, dA) || !takeVarint(bytes, dB) || !takeVarint(bytes, dT) ||
            std::llabs(dA) > kDeltaLimit || std::llabs(dB) > kDeltaLimit ||
            std::llabs(dT) > kDeltaLimit) {
            return std::nullopt;
        }
        a += dA;
        b += dB;
        t += dT;
        const double first = double(a) / kDegreeUnits, second = double(b) / kDegreeUnits;
        points.push_back(
            {longitudeFirst ? second : first, longitudeFirst ? first : second, t * kTimeUnitMs});
    }
    if (!bytes.empty()) {
        return std::nullopt;
    }
    return points;
}

std::int64_t units(double degrees)
{
    return std::llround(degrees * kDegreeUnits);
}

}  // namespace

StoredTrack trackFromTable(const TelemetryTable& table, std::optional<std::int64_t> startUtcMs)
{
    bool logDated = false;
    for (int s = 0; s < table.sampleCount() && !logDated; ++s) {
        logDated = table.find(s * kEntriesPerSample)->utcMs.has_value();
    }
    const bool dated = logDated || startUtcMs.has_value();
    StoredTrack track;
    std::optional<std::int64_t> lastKept;
    for (int s = 0; s < table.sampleCount(); ++s) {
        const TelemetryEntry& entry = *table.find(s * kEntriesPerSample);
        if (!entry.position || !isOnEarth(*entry.position)) {
            continue;
        }
        const double latitude = entry.position->latitude.value;
        const double longitude = entry.position->longitude.value;
        if (latitude == 0.0 && longitude == 0.0) {
            continue;  // what some cameras log before their first fix
        }
        std::int64_t t = std::int64_t(s) * 1000;
        if (entry.utcMs) {
            t = *entry.utcMs;
        } else if (dated) {
            if (!startUtcMs) {
                continue;
            }
            t = *startUtcMs + t;
        }
        if (lastKept && t < *lastKept + kTrackStepMs) {
            continue;
        }
        lastKept = t;
        track.points.push_back({latitude, longitude, t});
    }
    if (!track.points.empty()) {
        const std::int64_t base = track.points.front().tMs;
        for (TrackPoint& p : track.points) {
            p.tMs -= base;
        }
        if (dated) {
            track.baseUtcMs = base;
        }
    }
    return track;
}

std::vector<TrackPoint> simplifyTrack(std::span<const TrackPoint> points, double toleranceMetres)
{
    if (points.size() < 3) {
        return {points.begin(), points.end()};
    }
    std::vector<bool> keep(points.size(), false);
    keep.front() = keep.back() = true;
    // Top-down split, on an explicit stack: a day-long track must not recurse that deep.
    // Windows of bounded length keep the worst case (one point per split) from growing
    // with the square of a day's points.
    std::vector<std::pair<size_t, size_t>> spans;
    for (size_t first = 0; first + 1 < points.size(); first += kSimplifyWindow) {
        const size_t last = std::min(first + kSimplifyWindow, points.size() - 1);
        keep[last] = true;
        spans.emplace_back(first, last);
    }
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        double worst = 0.0;
        size_t worstAt = first;
        for (size_t i = first + 1; i < last; ++i) {
            const double d = timedDeviation(points[first], points[last], points[i]);
            if (d > worst) {
                worst = d;
                worstAt = i;
            }
        }
        if (worst > toleranceMetres) {
            keep[worstAt] = true;
            spans.emplace_back(first, worstAt);
            spans.emplace_back(worstAt, last);
        }
    }
    std::vector<TrackPoint> kept;
    for (size_t i = 0; i < points.size(); ++i) {
        if (keep[i]) {
            kept.push_back(points[i]);
        }
    }
    return kept;
}

std::string encodeTrack(std::span<const TrackPoint> points)
{
    std::string out;
    out.reserve(4 + points.size() * 4);
    out.push_back(static_cast<char>(points.size() == 1 ? kTwkbPoint : kTwkbLine));
    out.push_back(static_cast<char>(points.empty() ? kTwkbExtended | kTwkbEmpty : kTwkbExtended));
    out.push_back(static_cast<char>(kTwkbTimeDimension));
    if (points.size() > 1) {
        putUnsignedVarint(out, points.size());
    }
    std::int64_t lon = 0, lat = 0, t = 0;
    for (const TrackPoint& p : points) {
        const std::int64_t pLon = units(p.longitude);
        const std::int64_t pLat = units(p.latitude);
        const std::int64_t pT = (p.tMs + kTimeUnitMs / 2) / kTimeUnitMs;
        putVarint(out, pLon - lon);
        putVarint(out, pLat - lat);
        putVarint(out, pT - t);
        lon = pLon;
        lat = pLat;
        t = pT;
    }
    return out;
}

std::optional<std::vector<TrackPoint>> decodeTrack(std::string_view bytes)
{
    if (bytes.empty()) {
        return std::nullopt;
    }
    const auto type = static_cast<unsigned char>(bytes.front());
    if (type == kLegacyTrackVersion) {
        bytes.remove_prefix(1);
        std::int64_t count = 0;
        return takeVarint(bytes, count) ? takePoints(bytes, count, false) : std::nullopt;
    }
    if ((type != kTwkbPoint && type != kTwkbLine) || bytes.size() < 3 ||
        static_cast<unsigned char>(bytes[2]) != kTwkbTimeDimension) {
        return std::nullopt;
    }
    const auto flags = static_cast<unsigned char>(bytes[1]);
    bytes.remove_prefix(3);
    if (flags == (kTwkbExtended | kTwkbEmpty)) {
        return bytes.empty() ? std::optional<std::vector<TrackPoint>>(std::vector<TrackPoint>())
                             : std::nullopt;
    }
    if (flags != kTwkbExtended) {
        return std::nullopt;
    }
    std::uint64_t count = 1;
    if (type == kTwkbLine && (!takeUnsignedVarint(bytes, count) || count < 2)) {
        return std::nullopt;
    }
    return takePoints(bytes, std::int64_t(std::min<std::uint64_t>(count, INT64_MAX)), true);
}

double haversineMetres(double lat1, double lon1, double lat2, double lon2)
{
    const double dLat = (lat2 - lat1) * kRadians;
    const double dLon = (lon2 - lon1) * kRadians;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(lat1 * kRadians) * std::cos(lat2 * kRadians) * std::sin(dLon / 2) *
                         std::sin(dLon / 2);
    return 2 * kEarthRadiusMetres * std::asin(std::min(1.0, std::sqrt(a)));
}

std::optional<Approach> closestApproach(std::span<const TrackPoint> points, double latitude,
                                        double longitude)
{
    if (points.empty()) {
        return std::nullopt;
    }
    Approach best{std::numeric_limits<double>::infinity(), points.front()};
    auto consider = [&](const TrackPoint& p) {
        const double d = haversineMetres(latitude, longitude, p.latitude, p.longitude);
        if (d < best.metres) {
            best = {d, p};
        }
    };
    consider(points.front());
    for (size_t i = 1; i < points.size(); ++i) {
        const TrackPoint& a = points[i - 1];
        const TrackPoint& b = points[i];
        const Offset ab = offsetFrom(a, b.latitude, b.longitude);
        const Offset aq = offsetFrom(a, latitude, longitude);
        const double length2 = ab.east * ab.east + ab.north * ab.north;
        const double fraction =
            length2 > 0 ? std::clamp((aq.east * ab.east + aq.north * ab.north) / length2, 0.0, 1.0)
                        : 1.0;
        consider(interpolate(a, b, fraction));
    }
    return best;
}

std::optional<TrackPoint> positionAt(std::span<const TrackPoint> points, std::int64_t tMs)
{
    if (points.empty() || tMs < points.front().tMs || tMs > points.back().tMs) {
        return std::nullopt;
    }
    const auto after =
        std::lower_bound(points.begin(), points.end(), tMs,
                         [](const TrackPoint& p, std::int64_t t) { return p.tMs < t; });
    if (after->tMs == tMs || after == points.begin()) {
        return *after;
    }
    const TrackPoint& a = *(after - 1);
    const TrackPoint& b = *after;
    return interpolate(a, b, static_cast<double>(tMs - a.tMs) / static_cast<double>(b.tMs - a.tMs));
}
