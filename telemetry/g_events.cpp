#include "telemetry/g_events.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "telemetry/telemetry_table.h"

namespace {

constexpr int kKinds = 4;
constexpr std::int64_t kMsPerEntry = 1000 / kEntriesPerSample;
// An axis holds gravity when its mean is at least this far from zero.
constexpr double kGravityMeanG = 0.5;
constexpr double kMaxJoinSeconds = 60.0;

using Axes = std::array<double, 3>;

Axes axesOf(const TelemetryEntry& entry)
{
    return {entry.gX, entry.gY, entry.gZ};
}

// Which table axis runs along the car and which across it.
//
// Every layout's table holds g (the readers scale: thousandths of g in the sidecar and A7L
// text, ICAT's shifted int16 and NT96650A's int32; freeGPS int32 at 256 per g; the NMEA
// box's int16 at 128 per g; GoPro's m/s² over standard gravity). The dashcam layouts log
// X along the car (forwards positive), Y across it and Z vertical, as the sample writers
// do. GoPro keeps the camera's own order, which differs per model (HERO5: Z, X, Y of the
// camera; MAX: X, -Z, Y, as its ORIN tag says), so gravity is looked for in the data: the
// axis holding it is vertical and the other two, in table order, are along and across.
// Without a clear gravity axis Z is taken as vertical.
struct AxisRoles
{
    size_t along = 0;
    size_t across = 1;
};

AxisRoles axisRoles(const Axes& mean)
{
    size_t vertical = 2;
    for (size_t k = 0; k < mean.size(); ++k) {
        if (std::abs(mean[k]) >= kGravityMeanG && std::abs(mean[k]) > std::abs(mean[vertical])) {
            vertical = k;
        }
    }
    AxisRoles roles;
    roles.along = vertical == 0 ? 1 : 0;
    roles.across = vertical == 2 ? 1 : 2;
    return roles;
}

// How far each kind's push goes at one entry (positive when in its direction).
std::array<double, kKinds> strengths(const Axes& change, const AxisRoles& roles)
{
    return {-change[roles.along], change[roles.along], std::abs(change[roles.across]),
            std::hypot(change[0], change[1], change[2])};
}

// One kind's push while it lasts.
struct OpenPush
{
    bool open = false;
    int peakEntry = 0;
    double peakG = 0.0;
    int lastOver = 0;  // the last entry beyond the threshold
};

GEvent eventAt(const TelemetryTable& table, GEventKind kind, const OpenPush& push)
{
    const TelemetryEntry& entry = *table.find(push.peakEntry);
    GEvent event;
    event.kind = kind;
    event.entry = push.peakEntry;
    event.peakG = push.peakG;
    if (entry.hasPosition()) {
        event.speedKmh = entry.speedKmh;
    }
    if (entry.utcMs) {
        // The entries of a sample share its fix's time.
        event.utcMs = *entry.utcMs + (push.peakEntry % kEntriesPerSample) * kMsPerEntry;
    }
    return event;
}

}  // namespace

std::string_view gEventKindName(GEventKind kind)
{
    switch (kind) {
    case GEventKind::Braking: return "braking";
    case GEventKind::Acceleration: return "acceleration";
    case GEventKind::Cornering: return "cornering";
    case GEventKind::Impact: return "impact";
    }
    return "";
}

double GEvent::seconds() const
{
    return static_cast<double>(entry) / kEntriesPerSample;
}

std::vector<GEvent> detectGEvents(const TelemetryTable& table, const GEventThresholds& thresholds)
{
    const Axes mean = meanG(table);
    const AxisRoles roles = axisRoles(mean);
    const std::array<double, kKinds> limits = {thresholds.longitudinalG, thresholds.longitudinalG,
                                               thresholds.lateralG, thresholds.impactG};
    // Any join time, even a nonsense one, stays within a minute.
    const double joinSeconds =
        thresholds.joinSeconds > 0.0 ? std::min(thresholds.joinSeconds, kMaxJoinSeconds) : 0.0;
    const int joinEntries = static_cast<int>(std::lround(joinSeconds * kEntriesPerSample));

    std::vector<GEvent> events;
    std::array<OpenPush, kKinds> pushes{};
    const auto close = [&](int kind) {
        if (pushes[kind].open) {
            events.push_back(eventAt(table, static_cast<GEventKind>(kind), pushes[kind]));
            pushes[kind].open = false;
        }
    };
    const int count = table.count();
    for (int i = 0; i < count; ++i) {
        const TelemetryEntry& entry = *table.find(i);
        if (!isGReading(entry)) {
            continue;
        }
        Axes change = axesOf(entry);
        for (size_t k = 0; k < change.size(); ++k) {
            change[k] -= mean[k];
        }
        const std::array<double, kKinds> g = strengths(change, roles);
        for (int kind = 0; kind < kKinds; ++kind) {
            OpenPush& push = pushes[kind];
            if (push.open && i - push.lastOver - 1 > joinEntries) {
                close(kind);
            }
            if (!(g[kind] > limits[kind])) {
                continue;
            }
            if (!push.open) {
                push = {true, i, g[kind], i};
            } else if (g[kind] > push.peakG) {
                push.peakEntry = i;
                push.peakG = g[kind];
            }
            push.lastOver = i;
        }
    }
    for (int kind = 0; kind < kKinds; ++kind) {
        close(kind);
    }
    std::stable_sort(events.begin(), events.end(), [](const GEvent& a, const GEvent& b) {
        return a.entry != b.entry ? a.entry < b.entry : a.kind < b.kind;
    });
    return events;
}

std::optional<std::int64_t> gEventUtcMs(const GEvent& event,
                                        std::optional<std::int64_t> recordingStartUtcMs)
{
    if (event.utcMs) {
        return event.utcMs;
    }
    if (recordingStartUtcMs) {
        return *recordingStartUtcMs + event.entry * kMsPerEntry;
    }
    return std::nullopt;
}
