#include "assist_info_reader.h"

#include <algorithm>
#include <cmath>

#include "layout_reader.h"

void CAssistInfoReader::Clear()
{
    m_rows.clear();
    m_entriesPerRow = ENTRIES_PER_SAMPLE;
}

int CAssistInfoReader::GetCount() const
{
    return static_cast<int>(m_rows.size()) * m_entriesPerRow;
}

const tagAssistInfo* CAssistInfoReader::Find(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return &m_rows[static_cast<size_t>(index / m_entriesPerRow)];
}

int CAssistInfoReader::GetAssistInfo(int index, tagAssistInfo& out) const
{
    if (const tagAssistInfo* entry = Find(index)) {
        out = *entry;
        return 0;
    }
    out = tagAssistInfo{};
    out.strLongitude = "0";
    out.strLatitude = "0";
    return -1;
}

void CAssistInfoReader::AppendSample(const tagAssistInfo& sample)
{
    if (Full())
        return;
    m_rows.insert(m_rows.end(), static_cast<size_t>(ENTRIES_PER_SAMPLE / m_entriesPerRow), sample);
}

void CAssistInfoReader::AppendSample(const tagAssistInfo& sample,
                                     std::span<const EntryAxes, ENTRIES_PER_SAMPLE> entryAxes)
{
    if (Full())
        return;
    KeepEveryEntry();
    for (const EntryAxes& axes : entryAxes) {
        tagAssistInfo& entry = m_rows.emplace_back(sample);
        entry.fX = axes.fX;
        entry.fY = axes.fY;
        entry.fZ = axes.fZ;
    }
}

void CAssistInfoReader::KeepEveryEntry()
{
    if (m_entriesPerRow == 1)
        return;
    std::vector<tagAssistInfo> entries;
    entries.reserve(m_rows.size() * ENTRIES_PER_SAMPLE);
    for (const tagAssistInfo& row : m_rows)
        entries.insert(entries.end(), ENTRIES_PER_SAMPLE, row);
    m_rows = std::move(entries);
    m_entriesPerRow = 1;
}

void CAssistInfoReader::SetSampleLimit(int samples)
{
    m_sampleLimit = std::clamp(samples, 1, kMaxTableSamples);
}

int CAssistInfoReader::ReadRecording(const tagFileNode& node, double videoSeconds)
{
    const bool known = videoSeconds > 0.0 && videoSeconds < kMaxTableSamples;
    SetSampleLimit(known ? static_cast<int>(std::ceil(videoSeconds)) + kTableMarginSamples
                         : kMaxTableSamples);
    return ReadTelemetry(node, *this).result;
}
