#include "trip_index.h"

#include <sys/stat.h>

#include "assist_info_reader.h"
#include "play_list.h"

namespace {

std::string CacheKey(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return path;
    return path + '\n' + std::to_string(st.st_size) + ':' + std::to_string(st.st_mtim.tv_sec) + '.' +
           std::to_string(st.st_mtim.tv_nsec);
}

}  // namespace

void TripIndex::Update(const CPlayList& list)
{
    m_rowClocks.clear();
    m_rowClocks.reserve(static_cast<size_t>(list.GetCount()));
    tagFileNode node;
    for (int row = 0; list.GetAt(row, node) == 0; ++row) {
        const std::string key = CacheKey(node.strFilePath);
        auto known = m_clocks.find(key);
        if (known == m_clocks.end())
            known = m_clocks.emplace(key, ReadRecordingClock(node.strFilePath)).first;
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
    const std::string key = CacheKey(node.strFilePath);
    const auto known = m_digests.find(key);
    if (known != m_digests.end())
        return known->second;
    if (table)
        return m_digests.emplace(key, DigestTable(*table)).first->second;
    CAssistInfoReader reader;
    reader.ReadRecording(node);
    return m_digests.emplace(key, DigestTable(reader)).first->second;
}
