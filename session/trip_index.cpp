#include "session/trip_index.h"

#include <sys/stat.h>

#include <utility>

#include "session/playlist_catalogue.h"
#include "telemetry/telemetry_table.h"

namespace {

std::string cacheKey(const std::string& path)
{
    struct stat st
    {};
    if (::stat(path.c_str(), &st) != 0) {
        return path;
    }
    return path + '\n' + std::to_string(st.st_size) + ':' + std::to_string(st.st_mtim.tv_sec) +
           '.' + std::to_string(st.st_mtim.tv_nsec);
}

}  // namespace

void TripIndex::update(const PlaylistCatalogue& list)
{
    m_rowClocks.clear();
    m_rowClocks.reserve(static_cast<size_t>(list.count()));
    // Only what the list still holds is kept: a list cleared and filled all day stays small.
    std::unordered_map<std::string, RecordingClock> clocks;
    std::unordered_map<std::string, TrackDigest> digests;
    RecordingEntry node;
    for (int row = 0; list.entryAt(row, node); ++row) {
        const std::string key = cacheKey(node.filePath);
        const auto known = m_clocks.find(key);
        const RecordingClock clock =
            known != m_clocks.end() ? known->second : readRecordingClock(node.filePath);
        clocks.emplace(key, clock);
        m_rowClocks.push_back(clock);
        // Moved as nodes: a digest kept stays where the open trip points to it.
        if (auto digest = m_digests.extract(key)) {
            digests.insert(std::move(digest));
        }
    }
    m_clocks = std::move(clocks);
    m_digests = std::move(digests);
    m_plan = TripPlan(m_rowClocks);
}

RecordingClock TripIndex::clock(int row) const
{
    return row >= 0 && row < static_cast<int>(m_rowClocks.size())
               ? m_rowClocks[static_cast<size_t>(row)]
               : RecordingClock{};
}

const TrackDigest& TripIndex::digest(const RecordingEntry& node, const TelemetryTable* table)
{
    const std::string key = cacheKey(node.filePath);
    const auto known = m_digests.find(key);
    if (known != m_digests.end()) {
        return known->second;
    }
    TrackDigest digest;
    if (table) {
        digest = digestTable(*table);
    } else {
        TelemetryTable reader;
        reader.readRecording(node);
        digest = digestTable(reader);
    }
    // The trip's time between recordings comes from their clocks.
    auto clock = m_clocks.find(key);
    if (clock == m_clocks.end()) {
        clock = m_clocks.emplace(key, readRecordingClock(node.filePath)).first;
    }
    digest.clock = clock->second;
    return m_digests.emplace(key, std::move(digest)).first->second;
}
