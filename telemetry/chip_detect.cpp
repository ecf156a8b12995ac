#include "chip_detect.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "atom_walker.h"

namespace {

constexpr size_t kChipNameLength = 8;
constexpr uint32_t kMaxUdtaBytes = 64;
constexpr uint32_t kSecondsFrom1904To1970 = 2082844800u;
constexpr uint64_t kFirstShapeCreationOffset = 20;  // past moov header, mvhd header, version
constexpr uint64_t kSecondShapeCreationOffset = 44;

std::optional<uint32_t> firstShapeCreation(BinaryFile& file)
{
    const std::optional<uint32_t> s1 = file.readBE32(0);
    if (!s1 || *s1 == 0)
        return std::nullopt;
    const std::optional<uint32_t> s2 = file.readBE32(*s1);
    if (!s2 || *s2 == 0)
        return std::nullopt;
    const std::optional<uint32_t> value =
        file.readBE32(uint64_t{*s1} + *s2 + kFirstShapeCreationOffset);
    if (!value || *value < kSecondsFrom1904To1970)
        return std::nullopt;
    return value;
}

std::optional<uint32_t> secondShapeCreation(BinaryFile& file)
{
    const std::optional<uint32_t> value = file.readBE32(kSecondShapeCreationOffset);
    if (!value || *value < kSecondsFrom1904To1970)
        return std::nullopt;
    return value;
}

}  // namespace

MovieTime utcTime(int64_t ms)
{
    using namespace std::chrono;
    const sys_seconds time = floor<seconds>(sys_time<milliseconds>{milliseconds{ms}});
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    MovieTime out;
    out.year = static_cast<int>(date.year());
    out.month = static_cast<int>(static_cast<unsigned>(date.month()));
    out.day = static_cast<int>(static_cast<unsigned>(date.day()));
    out.hour = static_cast<int>(clock.hours().count());
    out.minute = static_cast<int>(clock.minutes().count());
    out.second = static_cast<int>(clock.seconds().count());
    return out;
}

bool endsWithIcatName(BinaryFile& file)
{
    if (file.size() < kChipNameLength)
        return false;
    char tail[kChipNameLength];
    if (!file.readExact(file.size() - kChipNameLength, tail, sizeof tail))
        return false;
    const std::string_view name(tail, sizeof tail);
    return name == "ICAT6330" || name == "ICAT6350";
}

std::string udtaChipText(BinaryFile& file)
{
    const std::optional<AtomHeader> udta = findPath(file, wholeFile(file), {"moov", "udta"});
    if (!udta)
        return {};
    // The size field of the first child says how many bytes name the chip.
    const std::optional<uint32_t> count = file.readBE32(udta->content().begin);
    if (!count)
        return {};
    const uint32_t n = std::min(*count, kMaxUdtaBytes);
    std::string bytes(n, '\0');
    if (n == 0 || !file.readExact(udta->content().begin + 4, bytes.data(), n))
        return {};
    return bytes;
}

bool namesChip(std::string_view chipText, std::string_view chip)
{
    return std::search(chipText.begin(), chipText.end(), chip.begin(), chip.end()) !=
           chipText.end();
}

std::optional<double> readMovieSeconds(BinaryFile& file)
{
    const std::optional<AtomHeader> mvhd = findPath(file, wholeFile(file), {"moov", "mvhd"});
    unsigned char bytes[32];  // version 1: version and flags, two 64-bit times, scale, duration
    if (!mvhd || mvhd->content().end - mvhd->content().begin < 20 ||
        !file.readExact(
            mvhd->content().begin, bytes,
            std::min<uint64_t>(sizeof bytes, mvhd->content().end - mvhd->content().begin)))
        return std::nullopt;
    const bool wide = bytes[0] == 1;
    if (wide && mvhd->content().end - mvhd->content().begin < 32)
        return std::nullopt;
    const uint32_t scale = loadBE32(bytes + (wide ? 20 : 12));
    const uint64_t duration =
        wide ? uint64_t{loadBE32(bytes + 24)} << 32 | loadBE32(bytes + 28) : loadBE32(bytes + 16);
    if (scale == 0 || duration == 0)
        return std::nullopt;
    return static_cast<double>(duration) / scale;
}

std::optional<MovieTime> readMovieTime(const std::string& path)
{
    BinaryFile file;
    if (!file.open(path))
        return std::nullopt;
    std::optional<uint32_t> creation = firstShapeCreation(file);
    if (!creation)
        creation = secondShapeCreation(file);
    if (!creation)
        return std::nullopt;
    return utcTime((int64_t{*creation} - kSecondsFrom1904To1970) * 1000);
}
