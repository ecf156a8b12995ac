#include "trip_index.h"

#include "assist_info_reader.h"
#include "play_list.h"

void TripIndex::Update(const CPlayList& list)
{
    m_rowClocks.clear();
    m_rowClocks.reserve(static_cast<size_t>(list.GetCount()));
    tagFileNode node;
    for (int row = 0; list.GetAt(row, node) == 0; ++row) {
        auto known = m_clocks.find(node.strFilePath);
        if (known == m_clocks.end())
            known = m_clocks.emplace(node.strFilePath, ReadRecordingClock(node.strFilePath)).first;
        m_rowClocks.push_back(known->second);
    }
    m_plan = TripPlan(m_rowClocks);
}

RecordingClock TripIndex::Clock(int row) const
{
    return row >= 0 && row < static_cast<int>(m_rowClocks.size()) ? m_rowClocks[static_cast<size_t>(row)]
                                                                  : RecordingClock{};
}

const TrackDigest& TripIndex::Digest(const tagFileNode& node, const CAssistInfoReader* table)
{
    const auto known = m_digests.find(node.strFilePath);
    if (known != m_digests.end())
        return known->second;
    if (table)
        return m_digests.emplace(node.strFilePath, DigestTable(*table)).first->second;
    CAssistInfoReader reader;
    reader.ReadRecording(node);
    return m_digests.emplace(node.strFilePath, DigestTable(reader)).first->second;
}

void TripIndex::Forget(const std::string& path)
{
    m_clocks.erase(path);
    m_digests.erase(path);
}
