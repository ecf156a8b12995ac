#include "assist_info_reader.h"

#include <algorithm>
#include <cmath>

#include "layout_reader.h"

void CAssistInfoReader::Clear()
{
    m_samples.clear();
}

int CAssistInfoReader::GetCount() const
{
    return static_cast<int>(m_samples.size()) * ENTRIES_PER_SAMPLE;
}

const tagAssistInfo* CAssistInfoReader::Find(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return &m_samples[static_cast<size_t>(index / ENTRIES_PER_SAMPLE)];
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
    if (!Full())
        m_samples.push_back(sample);
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
