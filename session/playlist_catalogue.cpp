#include "session/playlist_catalogue.h"

#include "telemetry/file_name.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>

#include "telemetry/file_attributes.h"

namespace {

// Another recording of the movie's folder (.MOV, .MP4, .TS in any case) whose sidecar is
// this one.
bool sidecarShared(const RecordingEntry& node)
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

// The file's absolute path without links, "." or ".."; as given when it cannot be resolved.
std::string canonicalPath(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : resolved.string();
}

}  // namespace

bool PlaylistCatalogue::addFile(const std::string& path, const std::string& name,
                                const std::string& ext)
{
    std::string canonical = canonicalPath(path);
    if (!m_listed.insert(canonical).second) {
        return false;
    }
    Entry entry{describeRecording(path, name, ext), std::move(canonical)};
    const int index = count();
    emit entryAboutToBeAdded(index);
    m_entries.push_back(std::move(entry));
    emit entryAdded(index);
    return true;
}

int PlaylistCatalogue::rowOf(const std::string& path) const
{
    const std::string canonical = canonicalPath(path);
    if (!m_listed.contains(canonical)) {
        return -1;
    }
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return entry.canonicalPath == canonical;
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

bool PlaylistCatalogue::deleteFileAt(int index)
{
    if (index < 0 || index >= count()) {
        return false;
    }
    const RecordingEntry& node = m_entries[static_cast<size_t>(index)].node;

    // A locked recording is protected, as a read-only file is where the cameras come from.
    const auto attributes = readFileAttributes(node.filePath);
    if (attributes && attributes->bReadOnly) {
        return false;
    }
    // A movie that is already gone lets its entry go; any other failure keeps it listed.
    if (!removeFile(node.filePath) && errno != ENOENT) {
        return false;
    }
    // Another recording of the folder may share the sidecar (B.mov and a locked B.MOV, A.TS
    // and A.MOV): it stays while one does.
    if (!node.sidecarPath.empty() && !sidecarShared(node)) {
        removeFile(node.sidecarPath);
    }

    emit entryAboutToBeRemoved(index);
    m_listed.erase(m_entries[static_cast<size_t>(index)].canonicalPath);
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
    const std::optional<unsigned> before = writeBits(entry.node.filePath);
    if (!before) {
        return false;
    }
    const bool lock = *before != 0;  // read-only is no write bit at all
    // The entry follows the file only once the file has changed.
    if (!setReadOnly(entry.node.filePath, lock, entry.unlockedWriteBits)) {
        return false;
    }
    entry.unlockedWriteBits = lock ? *before : 0;
    entry.node.locked = lock;
    emit lockChanged(index);
    return true;
}
