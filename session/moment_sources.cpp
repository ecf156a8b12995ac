#include "session/moment_sources.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "telemetry/recording_entry.h"
#include "telemetry/telemetry_table.h"
#include "telemetry/trip_summary.h"

namespace {

GeoPoint pointOf(const Position& position)
{
    return {position.latitude.value, position.longitude.value};
}

// Tenths of a second, rounded to the table's entries.
int entriesOf(double seconds)
{
    return static_cast<int>(std::lround(seconds * kEntriesPerSample));
}

}  // namespace

std::vector<ChannelSource> channelSources(const RecordingEntry& node, const StartTimeOf& startOf)
{
    if (node.channels.empty()) {
        return {{QStringLiteral("F"), node.filePath, 0.0}};
    }
    std::vector<std::optional<double>> starts;
    std::optional<double> earliest;
    for (const ChannelEntry& channel : node.channels) {
        starts.push_back(startOf ? startOf(channel.filePath) : std::nullopt);
        if (starts.back() && (!earliest || *starts.back() < *earliest)) {
            earliest = starts.back();
        }
    }
    std::vector<ChannelSource> sources;
    for (size_t i = 0; i < node.channels.size(); ++i) {
        const ChannelEntry& channel = node.channels[i];
        sources.push_back({QString(QChar::fromLatin1(static_cast<char>(channel.channel))),
                           channel.filePath, starts[i] ? *starts[i] - *earliest : 0.0});
    }
    return sources;
}

bool positionsDisagree(const TelemetryTable& a, double offsetA, const TelemetryTable& b,
                       double offsetB, double metres)
{
    const int shiftA = entriesOf(offsetA);
    const int shiftB = entriesOf(offsetB);
    const int end = std::max(a.count() + shiftA, b.count() + shiftB);
    for (int entry = 0; entry < end; entry += kEntriesPerSample) {
        const TelemetryEntry* fixA = a.find(entry - shiftA);
        const TelemetryEntry* fixB = b.find(entry - shiftB);
        if (fixA && fixB && fixA->hasPosition() && fixB->hasPosition() &&
            greatCircleMetres(pointOf(*fixA->position), pointOf(*fixB->position)) > metres) {
            return true;
        }
    }
    return false;
}
