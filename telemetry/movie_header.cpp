#include "telemetry/movie_header.h"

#include <chrono>
#include <cstring>

namespace {

constexpr int64_t kSecondsFrom1904To1970 = 2082844800;
constexpr int64_t kEarliestMs = 631152000000;  // 1990-01-01 UTC
constexpr int64_t kDayMs = 24 * 60 * 60 * 1000;
constexpr uint64_t kVersion0Size =
    4 + 4 + 4 + 4 + 4;  // version and flags, two times, scale, length
constexpr uint64_t kVersion1Size = 4 + 8 + 8 + 4 + 8;
// Where the older chips' files hold the creation time: past the header of a "moov" that is
// the third atom (after two atoms of sizes s1 and s2), or at 44 when it is the second.
constexpr uint64_t kThirdAtomCreationOffset = 20;
constexpr uint64_t kSecondAtomCreationAt = 44;
constexpr uint64_t kCreationAfterType = 8;  // type, then version and flags

uint64_t loadBE64(const unsigned char* bytes)
{
    return uint64_t{loadBE32(bytes)} << 32 | loadBE32(bytes + 4);
}

// The creation word at a fixed place, when a whole version-0 mvhd holds it there.
std::optional<uint64_t> creationInMvhdAt(BinaryFile& file, uint64_t at)
{
    if (at < kCreationAfterType) {
        return std::nullopt;
    }
    unsigned char bytes[4 + kVersion0Size];  // type, then the version-0 fields
    if (!file.readExact(at - kCreationAfterType, bytes, sizeof bytes) ||
        std::memcmp(bytes, "mvhd", 4) != 0 || bytes[4] != 0) {
        return std::nullopt;
    }
    return loadBE32(bytes + kCreationAfterType);
}

std::optional<uint64_t> fixedPlaceCreation(BinaryFile& file)
{
    const std::optional<uint32_t> s1 = file.readBE32(0);
    const std::optional<uint32_t> s2 = s1 && *s1 != 0 ? file.readBE32(*s1) : std::nullopt;
    if (s2 && *s2 != 0) {
        if (const auto creation =
                creationInMvhdAt(file, uint64_t{*s1} + *s2 + kThirdAtomCreationOffset)) {
            return creation;
        }
    }
    return creationInMvhdAt(file, kSecondAtomCreationAt);
}

std::optional<int64_t> plausibleUtcMs(uint64_t creation, int64_t nowMs)
{
    // Compared in seconds first: a 64-bit creation of any size cannot overflow.
    const uint64_t nowSeconds1904 = static_cast<uint64_t>(nowMs / 1000 + kSecondsFrom1904To1970);
    if (creation > nowSeconds1904 + kDayMs / 1000) {
        return std::nullopt;
    }
    const int64_t utcMs = (static_cast<int64_t>(creation) - kSecondsFrom1904To1970) * 1000;
    if (utcMs < kEarliestMs || utcMs > nowMs + kDayMs) {
        return std::nullopt;
    }
    return utcMs;
}

}  // namespace

double MovieHeader::seconds() const
{
    return timescale == 0 ? 0.0 : static_cast<double>(duration) / timescale;
}

std::optional<MovieHeader> readMovieHeader(BinaryFile& file)
{
    const std::optional<AtomHeader> mvhd = findPath(file, wholeFile(file), {"moov", "mvhd"});
    if (!mvhd) {
        return std::nullopt;
    }
    const Span content = mvhd->content();
    const uint64_t available = content.end - content.begin;
    unsigned char bytes[kVersion1Size] = {};
    if (available < kVersion0Size || !file.readExact(content.begin, bytes, 1)) {
        return std::nullopt;
    }
    const bool version1 = bytes[0] == 1;
    const uint64_t size = version1 ? kVersion1Size : kVersion0Size;
    if (available < size || !file.readExact(content.begin, bytes, size)) {
        return std::nullopt;
    }
    MovieHeader header;
    header.creation = version1 ? loadBE64(bytes + 4) : loadBE32(bytes + 4);
    header.timescale = loadBE32(bytes + (version1 ? 20 : 12));
    header.duration = version1 ? loadBE64(bytes + 24) : loadBE32(bytes + 16);
    return header;
}

std::optional<int64_t> readRecordingStartUtcMs(BinaryFile& file, int64_t nowMs)
{
    std::optional<uint64_t> creation = fixedPlaceCreation(file);
    if (!creation) {
        if (const std::optional<MovieHeader> header = readMovieHeader(file)) {
            creation = header->creation;
        }
    }
    return creation ? plausibleUtcMs(*creation, nowMs) : std::nullopt;
}

std::optional<int64_t> readRecordingStartUtcMs(BinaryFile& file)
{
    using namespace std::chrono;
    const auto now = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
    return readRecordingStartUtcMs(file, now.count());
}
