#include "telemetry/telemetry_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "telemetry/layout_reader.h"
#include "telemetry/recording_entry.h"

void TelemetryTable::clear()
{
    m_rows.clear();
    m_entriesPerRow = kEntriesPerSample;
}

int TelemetryTable::count() const
{
    return static_cast<int>(m_rows.size()) * m_entriesPerRow;
}

const TelemetryEntry* TelemetryTable::find(int index) const
{
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    return &m_rows[static_cast<size_t>(index / m_entriesPerRow)];
}

int TelemetryTable::copyEntry(int index, TelemetryEntry& out) const
{
    if (const TelemetryEntry* entry = find(index)) {
        out = *entry;
        return 0;
    }
    out = TelemetryEntry{};
    return -1;
}

bool isGReading(const TelemetryEntry& entry)
{
    return entry.gX != 0.0f || entry.gY != 0.0f || entry.gZ != 0.0f;
}

std::array<double, 3> meanG(const TelemetryTable& table)
{
    std::array<double, 3> sum{};
    int readings = 0;
    for (int i = 0, count = table.count(); i < count; ++i) {
        const TelemetryEntry& entry = *table.find(i);
        if (!isGReading(entry)) {
            continue;
        }
        ++readings;
        sum[0] += entry.gX;
        sum[1] += entry.gY;
        sum[2] += entry.gZ;
    }
    for (double& axis : sum) {
        axis /= std::max(readings, 1);
    }
    return sum;
}

double gFromRest(const TelemetryEntry& entry, const std::array<double, 3>& mean)
{
    if (!isGReading(entry)) {
        return 0.0;
    }
    return std::hypot(entry.gX - mean[0], entry.gY - mean[1], entry.gZ - mean[2]);
}

bool isOnEarth(const Position& position)
{
    return std::abs(position.latitude.value) <= 90.0 && std::abs(position.longitude.value) <= 180.0;
}

std::string degreesText(const Degrees& degrees)
{
    const int length = std::snprintf(nullptr, 0, "%.*f", degrees.decimals, degrees.value);
    std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, "%.*f", degrees.decimals, degrees.value);
    return text;
}

void TelemetryTable::appendSample(const TelemetryEntry& sample)
{
    if (full()) {
        return;
    }
    m_rows.insert(m_rows.end(), static_cast<size_t>(kEntriesPerSample / m_entriesPerRow), sample);
}

void TelemetryTable::appendSample(const TelemetryEntry& sample,
                                  std::span<const EntryAxes, kEntriesPerSample> entryAxes)
{
    if (full()) {
        return;
    }
    keepEveryEntry();
    for (const EntryAxes& axes : entryAxes) {
        TelemetryEntry& entry = m_rows.emplace_back(sample);
        entry.gX = axes.gX;
        entry.gY = axes.gY;
        entry.gZ = axes.gZ;
    }
}

void TelemetryTable::keepEveryEntry()
{
    if (m_entriesPerRow == 1) {
        return;
    }
    std::vector<TelemetryEntry> entries;
    entries.reserve(m_rows.size() * kEntriesPerSample);
    for (const TelemetryEntry& row : m_rows) {
        entries.insert(entries.end(), kEntriesPerSample, row);
    }
    m_rows = std::move(entries);
    m_entriesPerRow = 1;
}

void TelemetryTable::setSampleLimit(int samples)
{
    m_sampleLimit = std::clamp(samples, 1, kMaxTableSamples);
}

int TelemetryTable::readRecording(const RecordingEntry& node, double videoSeconds)
{
    const bool known = videoSeconds > 0.0 && videoSeconds < kMaxTableSamples;
    setSampleLimit(known ? static_cast<int>(std::ceil(videoSeconds)) + kTableMarginSamples
                         : kMaxTableSamples);
    // A moment's telemetry is the one of the channel that carries it.
    return readTelemetry(channelRecording(node, telemetryChannel(node)), *this).result;
}
