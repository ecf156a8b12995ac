#include "assist_info_reader.h"

#include "play_list.h"

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
    m_samples.push_back(sample);
}

int CAssistInfoReader::ReadRecording(const tagFileNode& node)
{
    if (node.bICat)
        return ReadICatMovie(node.strFilePath);
    if (node.bAmbarella)
        return ReadA7LMovie(node.strFilePath);
    if (node.bNT96650)
        return ReadNT96650Movie(node.strFilePath);
    return ReadDatFile(node.strGpsPath);
}
