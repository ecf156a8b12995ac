#include "telemetry/chip_detect.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "telemetry/atom_walker.h"
#include "telemetry/movie_header.h"

namespace {

constexpr size_t kChipNameLength = 8;
constexpr uint32_t kMaxUdtaBytes = 64;

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
    if (file.size() < kChipNameLength) {
        return false;
    }
    char tail[kChipNameLength];
    if (!file.readExact(file.size() - kChipNameLength, tail, sizeof tail)) {
        return false;
    }
    const std::string_view name(tail, sizeof tail);
    return name == "ICAT6330" || name == "ICAT6350";
}

std::string udtaChipText(BinaryFile& file)
{
    const std::optional<AtomHeader> udta = findPath(file, wholeFile(file), {"moov", "udta"});
    if (!udta) {
        return {};
    }
    // The size field of the first child says how many bytes name the chip.
    const std::optional<uint32_t> count = file.readBE32(udta->content().begin);
    if (!count) {
        return {};
    }
    const uint32_t n = std::min(*count, kMaxUdtaBytes);
    std::string bytes(n, '\0');
    if (n == 0 || !file.readExact(udta->content().begin + 4, bytes.data(), n)) {
        return {};
    }
    return bytes;
}

bool namesChip(std::string_view chipText, std::string_view chip)
{
    return std::search(chipText.begin(), chipText.end(), chip.begin(), chip.end()) !=
           chipText.end();
}

std::optional<double> readMovieSeconds(BinaryFile& file)
{
    const std::optional<MovieHeader> header = readMovieHeader(file);
    if (!header || header->seconds() == 0.0) {
        return std::nullopt;
    }
    return header->seconds();
}

std::optional<MovieTime> readMovieTime(const std::string& path)
{
    BinaryFile file;
    if (!file.open(path)) {
        return std::nullopt;
    }
    const std::optional<int64_t> startMs = readRecordingStartUtcMs(file);
    if (!startMs) {
        return std::nullopt;
    }
    return utcTime(*startMs);
}
