#include "session/playlist_catalogue.h"

#include "telemetry/file_name.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>

#include "telemetry/file_attributes.h"

namespace {

// Another recording of the movie's folder (.MOV, .MP4, .TS in any case) whose sidecar is
// this one.
bool sidecarShared(const ChannelEntry& node)
{
    namespace fs = std::filesystem;
    const fs::path movie(node.filePath);
    const fs::path folder = movie.has_parent_path() ? movie.parent_path() : fs::path(".");
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!isRecordingExtension(it->path().extension().string()) ||
            !it->is_regular_file(typeError)) {
            continue;
        }
        const std::string other =
            (movie.has_parent_path() ? it->path() : it->path().filename()).string();
        std::error_code same;
        if (other == node.filePath) {
            continue;
        }
        if (const std::optional<std::string> sidecar = findGpsFile(other);
            sidecar && fs::equivalent(*sidecar, node.sidecarPath, same)) {
            return true;
        }
    }
    // A folder that cannot be listed cannot show the sidecar to be unshared.
    return static_cast<bool>(ec);
}

// Front, rear, interior, tele: the order of a moment's channels.
int channelRank(Channel channel)
{
    constexpr Channel kOrder[] = {Channel::Front, Channel::Rear, Channel::Interior, Channel::Tele};
    return static_cast<int>(std::find(std::begin(kOrder), std::end(kOrder), channel) -
                            std::begin(kOrder));
}

bool hasChannel(const RecordingEntry& node, Channel channel)
{
    return std::any_of(node.channels.begin(), node.channels.end(),
                       [channel](const ChannelEntry& c) { return c.channel == channel; });
}

bool isReadOnly(const std::string& path)
{
    const auto attributes = readFileAttributes(path);
    return attributes && attributes->bReadOnly;
}

// The file's absolute path without links, "." or ".."; as given when it cannot be resolved.
std::string canonicalPath(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : resolved.string();
}

}  // namespace

PlaylistCatalogue::Entry PlaylistCatalogue::makeEntry(const MomentFiles& moment,
                                                      const std::string& name,
                                                      const std::string& ext)
{
    Entry entry;
    entry.node = describeMoment(moment, name, ext);
    for (const ChannelFile& file : moment.channels) {
        entry.canonicalPaths.push_back(canonicalPath(file.path));
    }
    entry.unlockedWriteBits.assign(moment.channels.size(), 0);
    return entry;
}

void PlaylistCatalogue::addRow(const MomentFiles& moment, const ListedFile& main)
{
    Entry entry = makeEntry(moment, main.name, main.ext);
    m_listed.insert(entry.canonicalPaths.begin(), entry.canonicalPaths.end());
    const int index = count();
    emit entryAboutToBeAdded(index);
    m_entries.push_back(std::move(entry));
    emit entryAdded(index);
}

// New channels of a listed moment: the row is described again with them, in channel order;
// a new main channel (a front joining a rear) names the row.
void PlaylistCatalogue::joinRow(int index, const std::vector<ChannelFile>& added,
                                const ListedFile& firstAdded)
{
    Entry& entry = m_entries[static_cast<size_t>(index)];
    MomentFiles moment;
    std::map<std::string, unsigned> lockBits;
    for (size_t i = 0; i < entry.node.channels.size(); ++i) {
        moment.channels.push_back(
            {entry.node.channels[i].channel, entry.node.channels[i].filePath});
        lockBits[entry.node.channels[i].filePath] = entry.unlockedWriteBits[i];
    }
    moment.channels.insert(moment.channels.end(), added.begin(), added.end());
    std::stable_sort(moment.channels.begin(), moment.channels.end(),
                     [](const ChannelFile& a, const ChannelFile& b) {
                         return channelRank(a.channel) < channelRank(b.channel);
                     });
    const bool sameMain = moment.channels.front().path == entry.node.filePath;
    Entry joined = makeEntry(moment, sameMain ? entry.node.displayName : firstAdded.name,
                             sameMain ? upperExtension(entry.node.filePath) : firstAdded.ext);
    for (size_t i = 0; i < moment.channels.size(); ++i) {
        joined.unlockedWriteBits[i] = lockBits[moment.channels[i].path];
    }
    m_listed.insert(joined.canonicalPaths.begin(), joined.canonicalPaths.end());
    entry = std::move(joined);
    emit entryChanged(index);
}

// The listed files that may be channels of the new ones' moments: those that share a folder
// or its parent with one (the camera's folders of one tree: Movie and Movie/RO, Front and
// Rear).
std::vector<std::string>
PlaylistCatalogue::relatedListedPaths(const std::vector<ListedFile>& fresh) const
{
    namespace fs = std::filesystem;
    const auto folders = [](const std::string& canonical) {
        const fs::path folder = fs::path(canonical).parent_path();
        return std::array<std::string, 2>{folder.string(), folder.parent_path().string()};
    };
    std::unordered_set<std::string> near;
    for (const ListedFile& file : fresh) {
        for (const std::string& folder : folders(canonicalPath(file.path))) {
            near.insert(folder);
        }
    }
    std::vector<std::string> related;
    for (const Entry& entry : m_entries) {
        for (size_t i = 0; i < entry.canonicalPaths.size(); ++i) {
            const auto own = folders(entry.canonicalPaths[i]);
            if (near.contains(own[0]) || near.contains(own[1])) {
                related.push_back(entry.node.channels[i].filePath);
            }
        }
    }
    return related;
}

int PlaylistCatalogue::addFiles(const std::vector<ListedFile>& files)
{
    // The new files by their path as given, each file once.
    std::map<std::string, const ListedFile*> fresh;
    std::vector<ListedFile> freshInOrder;
    std::unordered_set<std::string> seen;
    for (const ListedFile& file : files) {
        const std::string canonical = canonicalPath(file.path);
        if (!m_listed.contains(canonical) && seen.insert(canonical).second) {
            freshInOrder.push_back(file);
        }
    }
    for (const ListedFile& file : freshInOrder) {
        fresh.emplace(file.path, &file);
    }
    if (fresh.empty()) {
        return 0;
    }
    std::vector<std::string> paths = relatedListedPaths(freshInOrder);
    for (const ListedFile& file : freshInOrder) {
        paths.push_back(file.path);
    }
    // A start is read once per file, however often the grouping asks.
    std::map<std::string, std::optional<double>> starts;
    const StartTimeOf startOf = [&starts](const std::string& path) {
        const auto known = starts.find(path);
        return known != starts.end() ? known->second
                                     : starts.emplace(path, recordingStartTime(path)).first->second;
    };
    for (const MomentFiles& moment : groupMoments(paths, startOf)) {
        MomentFiles added;
        int listedRow = -1;
        for (const ChannelFile& file : moment.channels) {
            if (fresh.contains(file.path)) {
                added.channels.push_back(file);
            } else if (listedRow < 0) {
                listedRow = rowOf(file.path);
            }
        }
        if (added.channels.empty()) {
            continue;
        }
        const ListedFile& first = *fresh.at(added.channels.front().path);
        const bool free =
            listedRow >= 0 && std::none_of(added.channels.begin(), added.channels.end(),
                                           [&](const ChannelFile& file) {
                                               return hasChannel(entryAt(listedRow), file.channel);
                                           });
        if (free) {
            joinRow(listedRow, added.channels, first);
        } else {
            addRow(added, first);
        }
    }
    return static_cast<int>(fresh.size());
}

int PlaylistCatalogue::rowOf(const std::string& path) const
{
    const std::string canonical = canonicalPath(path);
    if (!m_listed.contains(canonical)) {
        return -1;
    }
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return std::find(entry.canonicalPaths.begin(), entry.canonicalPaths.end(), canonical) !=
               entry.canonicalPaths.end();
    });
    return static_cast<int>(found - m_entries.begin());
}

bool PlaylistCatalogue::entryAt(int index, RecordingEntry& out) const
{
    if (index < 0 || index >= count()) {
        return false;
    }
    out = m_entries[static_cast<size_t>(index)].node;
    return true;
}

void PlaylistCatalogue::removeAll()
{
    emit aboutToBeCleared();
    m_entries.clear();
    m_listed.clear();
    emit cleared();
}

std::vector<std::string> PlaylistCatalogue::filesToDelete(int index) const
{
    std::vector<std::string> files;
    if (index < 0 || index >= count()) {
        return files;
    }
    for (const ChannelEntry& channel : entryAt(index).channels) {
        files.push_back(channel.filePath);
        if (!channel.sidecarPath.empty() && isRegularFile(channel.sidecarPath) &&
            !sidecarShared(channel)) {
            files.push_back(channel.sidecarPath);
        }
    }
    return files;
}

bool PlaylistCatalogue::deleteFileAt(int index)
{
    if (index < 0 || index >= count()) {
        return false;
    }
    Entry& entry = m_entries[static_cast<size_t>(index)];
    const std::vector<ChannelEntry> channels = entry.node.channels;
    // A locked channel protects its whole moment, as a read-only file is where the cameras
    // come from.
    if (std::any_of(channels.begin(), channels.end(),
                    [](const ChannelEntry& c) { return isReadOnly(c.filePath); })) {
        return false;
    }
    MomentFiles left;
    for (const ChannelEntry& channel : channels) {
        // A movie that is already gone counts as deleted; any other failure keeps it listed.
        if (!removeFile(channel.filePath) && errno != ENOENT) {
            left.channels.push_back({channel.channel, channel.filePath});
            continue;
        }
        // Another recording of the folder may share the sidecar (B.mov and a locked B.MOV,
        // A.TS and A.MOV): it stays while one does.
        if (!channel.sidecarPath.empty() && !sidecarShared(channel)) {
            removeFile(channel.sidecarPath);
        }
    }
    if (!left.channels.empty()) {
        if (left.channels.size() != channels.size()) {
            const std::string& main = left.channels.front().path;
            for (const std::string& canonical : entry.canonicalPaths) {
                m_listed.erase(canonical);
            }
            entry = makeEntry(left, std::filesystem::path(main).filename().string(),
                              upperExtension(main));
            m_listed.insert(entry.canonicalPaths.begin(), entry.canonicalPaths.end());
            emit entryChanged(index);
        }
        return false;
    }
    emit entryAboutToBeRemoved(index);
    for (const std::string& canonical : entry.canonicalPaths) {
        m_listed.erase(canonical);
    }
    m_entries.erase(m_entries.begin() + index);
    emit entryRemoved(index);
    return true;
}

bool PlaylistCatalogue::toggleLock(int index)
{
    if (index < 0 || index >= count()) {
        return false;
    }
    Entry& entry = m_entries[static_cast<size_t>(index)];
    const std::vector<ChannelEntry>& channels = entry.node.channels;
    std::vector<unsigned> before;
    for (const ChannelEntry& channel : channels) {
        const std::optional<unsigned> bits = writeBits(channel.filePath);
        if (!bits) {
            return false;
        }
        before.push_back(*bits);
    }
    // Read-only is no write bit at all: any locked channel makes this an unlock of all.
    const bool lock = std::none_of(before.begin(), before.end(), [](unsigned b) { return b == 0; });
    std::vector<size_t> changed;
    for (size_t i = 0; i < channels.size(); ++i) {
        if (!lock && before[i] != 0) {
            continue;  // writable already: its bits stay as they are
        }
        // The entry follows the files only once every one has changed.
        if (!setReadOnly(channels[i].filePath, lock, entry.unlockedWriteBits[i])) {
            for (const size_t done : changed) {
                setReadOnly(channels[done].filePath, !lock, before[done]);
            }
            return false;
        }
        changed.push_back(i);
    }
    for (size_t i = 0; i < channels.size(); ++i) {
        entry.unlockedWriteBits[i] = lock ? before[i] : 0;
    }
    entry.node.locked = lock;
    emit lockChanged(index);
    return true;
}
