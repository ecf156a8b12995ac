#include "playback/recording_check.h"

#include "telemetry/atom_walker.h"

#include <cstring>
#include <filesystem>

namespace {

// Cameras write one video and one audio track, a few a track of telemetry or time code.
constexpr int kMaxTracks = 8;
// Cameras write a handful of atoms at the top (ftyp, free, mdat, moov, ...).
constexpr int kMaxTopLevelAtoms = 64;

struct TopLevelAtom
{
    char type[4] = {};
    Span content;
    uint64_t end = 0;  // cut to the file
};

// The top-level atom at `at`, with the 64-bit and to-the-end sizes a recording's
// data atom may have; nothing when its header is not whole or its size too small.
std::optional<TopLevelAtom> readTopLevelAtom(BinaryFile& file, uint64_t at)
{
    unsigned char header[16];
    if (!file.readExact(at, header, 8)) {
        return std::nullopt;
    }
    uint64_t size = loadBE32(header);
    uint64_t headerSize = 8;
    if (size == 1) {
        if (!file.readExact(at + 8, header + 8, 8)) {
            return std::nullopt;
        }
        size = uint64_t{loadBE32(header + 8)} << 32 | loadBE32(header + 12);
        headerSize = 16;
    } else if (size == 0) {
        size = file.size() - at;
    }
    if (size < headerSize) {
        return std::nullopt;
    }
    TopLevelAtom atom;
    std::memcpy(atom.type, header + 4, 4);
    // A cut recording's last atom reaches past the end of the file.
    atom.end = size > file.size() - at ? file.size() : at + size;
    atom.content = {at + headerSize, atom.end};
    return atom;
}

// Why the recording's index is more than a camera writes, or nothing.
std::optional<QString> indexRefusal(BinaryFile& file, Span moov)
{
    AtomWalker walker(file, moov);
    int children = 0;
    int tracks = 0;
    while (const std::optional<AtomHeader> atom = walker.next()) {
        if (atom->is("trak") && ++tracks > kMaxTracks) {
            return QStringLiteral("its index declares more than %1 tracks").arg(kMaxTracks);
        }
        if (atom->is("cmov")) {
            return QStringLiteral("its index is compressed");
        }
        if (++children > kMaxSkippedAtoms + kMaxTracks) {
            return QStringLiteral("its index has more entries than a camera writes");
        }
    }
    return std::nullopt;
}

bool opensQuickTime(const TopLevelAtom& first)
{
    for (const char* type : {"ftyp", "moov", "mdat", "free", "skip", "wide"}) {
        if (std::memcmp(first.type, type, 4) == 0) {
            return true;
        }
    }
    return false;
}

// Checks the first index among the top-level atoms. A file whose atoms cannot be
// walked is left to the demuxer, which refuses it with its own reason; but one
// that is walked to its end without an index is refused here: when the demuxer
// meets that error while it is still being set up, decodebin drops the error and
// the pipeline waits for a picture that never comes.
std::optional<QString> recordingRefusal(BinaryFile& file)
{
    uint64_t at = 0;
    bool quickTime = false;
    for (int count = 0; at < file.size(); ++count) {
        if (count == kMaxTopLevelAtoms) {
            return QStringLiteral("it has more top-level entries than a camera writes");
        }
        const std::optional<TopLevelAtom> atom = readTopLevelAtom(file, at);
        if (!atom) {
            return std::nullopt;
        }
        if (std::memcmp(atom->type, "moov", 4) == 0) {
            return indexRefusal(file, atom->content);
        }
        quickTime = quickTime || (count == 0 && opensQuickTime(*atom));
        at = atom->end;
    }
    if (quickTime) {
        return QStringLiteral("it has no index; the recording was cut off before it was written");
    }
    return std::nullopt;
}

}  // namespace

PlaybackResult checkRecording(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status found = std::filesystem::status(path, error);
    if (found.type() == std::filesystem::file_type::not_found) {
        return {PlaybackError::FileNotFound, QStringLiteral("No such file.")};
    }
    if (error) {
        return {PlaybackError::FileNotFound, QString::fromStdString(error.message())};
    }
    if (found.type() != std::filesystem::file_type::regular) {
        return {PlaybackError::InvalidArgument, QStringLiteral("It is not a regular file.")};
    }
    BinaryFile file;
    if (!file.open(path)) {
        return {};
    }
    if (const std::optional<QString> reason = recordingRefusal(file)) {
        return {PlaybackError::UnsupportedStream, QStringLiteral("Not played: %1.").arg(*reason)};
    }
    return {};
}
