#include "repair/recording_repair.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "repair/index_writer.h"
#include "repair/media_scan.h"
#include "repair/picture_check.h"
#include "repair/reference_layout.h"
#include "telemetry/atom_walker.h"
#include "telemetry/file_name.h"

namespace fs = std::filesystem;

namespace {

constexpr char kRepairedSuffix[] = "_repaired";
constexpr int kMaxReferenceCandidates = 16;
constexpr size_t kMaxFolderEntries = 100000;
constexpr uint64_t kTrialBytes = 16u << 20;
constexpr size_t kTrialKeyframes = 3;
constexpr size_t kCopyBlock = 1u << 20;
constexpr uint64_t kLargeHeader = 16;

struct DamagedLayout
{
    uint64_t mdatStart = 0;
    uint64_t mdatHeaderSize = 8;
    Span data;
};

// The media data of a file without a whole index; nothing, with the reason, otherwise.
std::optional<DamagedLayout> damagedLayout(BinaryFile& file, std::string& reason)
{
    std::optional<DamagedLayout> found;
    AtomWalker walker(file, wholeFile(file));
    for (int count = 0; count < kMaxSkippedAtoms; ++count) {
        const std::optional<AtomHeader> atom = walker.next();
        if (!atom) {
            break;
        }
        if (atom->is("moov") && atom->start + atom->size <= file.size()) {
            reason = "it has an index and needs no repair";
            return std::nullopt;
        }
        if (atom->is("mdat") && !found) {
            found = DamagedLayout{atom->start, atom->headerSize, atom->content()};
            // A camera that lost power may have left the size of a fresh atom: the data
            // then runs to the end of the file.
            if (found->data.end - found->data.begin < kLargeHeader) {
                found->data.end = file.size();
            }
        }
    }
    if (!found) {
        reason = "no media data (mdat) found";
    }
    return found;
}

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error);
}

// The folder's movie files ordered by how near their names sit to the damaged one's,
// the one before it first at equal distance.
std::vector<fs::path> referenceCandidates(const fs::path& damaged)
{
    const fs::path folder = damaged.parent_path().empty() ? "." : damaged.parent_path();
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string ext = upperExtension(it->path().string());
        if ((ext == ".MP4" || ext == ".MOV") && it->is_regular_file(error) &&
            !sameFile(it->path(), damaged) && names.size() < kMaxFolderEntries) {
            names.push_back(it->path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    const auto split = std::lower_bound(names.begin(), names.end(), damaged.filename().string());
    std::vector<fs::path> ordered;
    auto before = split;
    auto after = split;
    while (ordered.size() < kMaxReferenceCandidates &&
           (before != names.begin() || after != names.end())) {
        if (before != names.begin()) {
            ordered.push_back(folder / *--before);
        }
        if (after != names.end() && ordered.size() < kMaxReferenceCandidates) {
            ordered.push_back(folder / *after++);
        }
    }
    return ordered;
}

// The bytes of the first keyframes the layout finds at the start of the damaged data.
std::vector<std::vector<unsigned char>> firstKeyframes(BinaryFile& file, Span data,
                                                       const ReferenceLayout& layout)
{
    const Span start{data.begin, std::min(data.end, data.begin + kTrialBytes)};
    const MediaScan scan = scanMediaData(file, start, layout);
    const RebuiltTrack& video = scan.video;
    std::vector<std::vector<unsigned char>> pictures;
    size_t sample = 0;
    for (const RebuiltTrack::Chunk& chunk : video.chunks) {
        uint64_t offset = chunk.offset;
        for (uint32_t k = 0; k < chunk.samples && sample < video.sizes.size(); ++k, ++sample) {
            const uint32_t size = video.sizes[sample];
            const bool key = std::find(video.syncSamples.begin(), video.syncSamples.end(),
                                       sample + 1) != video.syncSamples.end();
            if (key && pictures.size() < kTrialKeyframes) {
                std::vector<unsigned char>& picture = pictures.emplace_back(size);
                if (!file.readExact(offset, picture.data(), size)) {
                    pictures.pop_back();
                }
            }
            offset += size;
        }
    }
    return pictures;
}

// A layout whose configuration decodes one of the damaged recording's first keyframes
// without a flaw: the one given, or the nearest by name in the folder.
std::optional<ReferenceLayout> chooseReference(BinaryFile& file, Span data,
                                               const RepairRequest& request, std::string& reason)
{
    std::vector<fs::path> candidates = {request.reference};
    if (request.reference.empty()) {
        candidates = referenceCandidates(request.damaged);
    }
    bool pictureFound = false;
    for (const fs::path& candidate : candidates) {
        std::optional<ReferenceLayout> layout = readReferenceLayout(candidate.string(), reason);
        if (!layout && !request.reference.empty()) {
            return std::nullopt;
        }
        const std::vector<std::vector<unsigned char>> pictures =
            layout ? firstKeyframes(file, data, *layout)
                   : std::vector<std::vector<unsigned char>>{};
        // A flaw in one keyframe may be damage; the wrong resolution flaws them all.
        for (const std::vector<unsigned char>& picture : pictures) {
            if (decodesCleanly(*layout, picture)) {
                return layout;
            }
        }
        pictureFound = pictureFound || !pictures.empty();
    }
    if (!pictureFound && (!request.reference.empty() || !candidates.empty())) {
        reason = "its media data holds no picture coded as in " +
                 (request.reference.empty() ? std::string("the healthy recordings beside it")
                                            : request.reference);
        return std::nullopt;
    }
    reason = request.reference.empty()
                 ? "no healthy recording in its folder has its resolution and coding (give one "
                   "of the same camera)"
                 : "its first keyframes do not decode as coded in " + request.reference;
    return std::nullopt;
}

class OutputFile
{
public:
    ~OutputFile()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        if (!m_temporary.empty()) {
            ::unlink(m_temporary.c_str());
        }
    }

    bool create(const fs::path& folder, const std::string& name, std::string& reason)
    {
        std::string pattern = (folder / ("." + name + ".partial-XXXXXX")).string();
        m_fd = ::mkstemp(pattern.data());
        if (m_fd < 0) {
            return fail("cannot create a file in " + folder.string(), reason);
        }
        m_temporary = pattern;
        ::fchmod(m_fd, 0644);
        return true;
    }

    bool write(const unsigned char* bytes, size_t count, std::string& reason)
    {
        while (count > 0) {
            const ssize_t written = ::write(m_fd, bytes, count);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return fail("cannot write the repaired copy", reason);
            }
            bytes += written;
            count -= static_cast<size_t>(written);
        }
        return true;
    }

    // Flushes, closes and gives the file its final name unless one of that name exists.
    bool finish(const fs::path& target, const struct stat& original, std::string& reason)
    {
        const struct timespec times[2] = {original.st_atim, original.st_mtim};
        ::futimens(m_fd, times);  // listed at the time of the recording, not of the repair
        if (::fsync(m_fd) != 0) {
            return fail("cannot write the repaired copy", reason);
        }
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0) {
            return fail("cannot write the repaired copy", reason);
        }
        if (!renameWithoutReplacing(target)) {
            if (errno == EEXIST) {
                reason = target.string() + " already exists";
                return false;
            }
            return fail("cannot name the repaired copy " + target.string(), reason);
        }
        m_temporary.clear();
        return true;
    }

private:
    bool renameWithoutReplacing(const fs::path& target) const
    {
        if (::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, target.c_str(),
                        RENAME_NOREPLACE) == 0) {
            return true;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            return false;
        }
        // Some FUSE file systems (exFAT cards) cannot refuse to replace: looked at first.
        struct stat existing
        {};
        if (::lstat(target.c_str(), &existing) == 0) {
            errno = EEXIST;
            return false;
        }
        return ::rename(m_temporary.c_str(), target.c_str()) == 0;
    }

    static bool fail(const std::string& what, std::string& reason)
    {
        reason = what + ": " + std::strerror(errno);
        return false;
    }

    int m_fd = -1;
    std::string m_temporary;
};

bool copyBytes(BinaryFile& from, uint64_t begin, uint64_t end, OutputFile& to, std::string& reason)
{
    std::vector<unsigned char> block(kCopyBlock);
    for (uint64_t at = begin; at < end;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(kCopyBlock, end - at));
        if (!from.readExact(at, block.data(), want)) {
            reason = "cannot read the damaged recording";
            return false;
        }
        if (!to.write(block.data(), want, reason)) {
            return false;
        }
        at += want;
    }
    return true;
}

// The media data's header in the copy: the damaged file's own when the size fits it, so
// every byte keeps its position (telemetry blocks are found at fixed boundaries); else a
// 64-bit one.
std::vector<unsigned char> mediaDataHeader(const DamagedLayout& damaged, uint64_t dataBytes)
{
    const uint64_t headerSize =
        damaged.mdatHeaderSize == 8 && dataBytes + 8 <= UINT32_MAX ? 8 : kLargeHeader;
    const uint64_t size = headerSize + dataBytes;
    std::vector<unsigned char> header;
    auto be = [&](uint64_t v, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) {
            header.push_back(static_cast<unsigned char>(v >> (8 * i)));
        }
    };
    be(headerSize == 8 ? size : 1, 4);
    header.insert(header.end(), {'m', 'd', 'a', 't'});
    if (headerSize == kLargeHeader) {
        be(size, 8);
    }
    return header;
}

fs::path repairedPath(const RepairRequest& request)
{
    const fs::path damaged(request.damaged);
    const fs::path folder =
        request.outputDir.empty() ? damaged.parent_path() : fs::path(request.outputDir);
    return folder / (damaged.stem().string() + kRepairedSuffix + damaged.extension().string());
}

bool writeCopy(BinaryFile& file, const std::string& damagedPath, const DamagedLayout& damaged,
               const ReferenceLayout& layout, const MediaScan& scan, const fs::path& target,
               std::string& reason)
{
    struct stat original
    {};
    std::error_code error;
    if (fs::exists(target, error)) {
        reason = target.string() + " already exists";
        return false;
    }
    if (::stat(damagedPath.c_str(), &original) != 0) {
        reason = std::string("cannot read the damaged recording: ") + std::strerror(errno);
        return false;
    }
    const std::vector<unsigned char> header =
        mediaDataHeader(damaged, scan.keptEnd - damaged.data.begin);
    const int64_t shift = static_cast<int64_t>(damaged.mdatStart + header.size()) -
                          static_cast<int64_t>(damaged.data.begin);
    const std::vector<unsigned char> index = buildMovieIndex(layout, scan, shift);
    OutputFile out;
    const fs::path folder = target.parent_path().empty() ? "." : target.parent_path();
    return out.create(folder, target.filename().string(), reason) &&
           copyBytes(file, 0, damaged.mdatStart, out, reason) &&
           out.write(header.data(), header.size(), reason) &&
           copyBytes(file, damaged.data.begin, scan.keptEnd, out, reason) &&
           out.write(index.data(), index.size(), reason) && out.finish(target, original, reason);
}

}  // namespace

std::optional<std::string> repairRecording(const RepairRequest& request, std::string& reason)
{
    BinaryFile file;
    if (!file.open(request.damaged)) {
        reason = request.damaged + ": " + file.failure();
        return std::nullopt;
    }
    std::optional<DamagedLayout> damaged = damagedLayout(file, reason);
    std::optional<ReferenceLayout> layout =
        damaged ? chooseReference(file, damaged->data, request, reason) : std::nullopt;
    if (!layout) {
        reason = request.damaged + ": " + reason;
        return std::nullopt;
    }
    const MediaScan scan = scanMediaData(file, damaged->data, *layout);
    if (scan.video.syncSamples.empty()) {
        reason = request.damaged + ": its media data holds no whole picture to keep";
        return std::nullopt;
    }
    const fs::path target = repairedPath(request);
    if (!writeCopy(file, request.damaged, *damaged, *layout, scan, target, reason)) {
        return std::nullopt;
    }
    return target.string();
}

bool lacksIndex(const std::string& path)
{
    BinaryFile file;
    std::string reason;
    return file.open(path) && damagedLayout(file, reason).has_value();
}

bool isRepairedCopyName(const std::string& path)
{
    const std::string stem = fs::path(path).stem().string();
    const std::string suffix = kRepairedSuffix;
    return stem.size() > suffix.size() &&
           stem.compare(stem.size() - suffix.size(), suffix.size(), suffix) == 0;
}
