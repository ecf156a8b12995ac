#include "telemetry/nmea_box_reader.h"

#include <algorithm>
#include <vector>

#include "telemetry/nmea_sentence.h"

namespace {

constexpr double kKnotsToKmh = 1.852;
constexpr double kAccelPerG = 128.0;
constexpr size_t kAccelRecordSize = 10;
constexpr uint32_t kAccelEnd = 0xFFFFFFFFu;
// The start time counts as the video's start only this close before the first line:
// further away it is on another clock than the lines.
constexpr int64_t kMaxStartLeadMs = 3600 * 1000;
constexpr size_t kMaxTimeDigits = 18;
// Marks a coordinate text the sentence parser did not touch (it rejected the sentence).

struct LogBoxes
{
    AtomHeader text;
    std::optional<AtomHeader> accelerations;
    std::optional<AtomHeader> start;
};

struct LoggedFix
{
    std::optional<int64_t> ms;
    TimedFix fix;
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The n-th comma-separated field (0: the sentence type), before any checksum.
std::string_view field(std::string_view sentence, int n)
{
    sentence = sentence.substr(0, sentence.find('*'));
    size_t start = 0;
    for (int i = 0; i < n; ++i) {
        const size_t comma = sentence.find(',', start);
        if (comma == std::string_view::npos) {
            return {};
        }
        start = comma + 1;
    }
    const size_t end = std::min(sentence.find(',', start), sentence.size());
    return sentence.substr(start, end - start);
}

// Value of count digits at text[at], or -1.
int digits(std::string_view text, size_t at, size_t count)
{
    if (at + count > text.size()) {
        return -1;
    }
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (!isDigit(text[i])) {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// RMC hhmmss[.sss] and ddmmyy (years 70-99 are 19xx).
std::optional<int64_t> rmcUtc(std::string_view time, std::string_view date)
{
    if (date.size() != 6) {
        return std::nullopt;
    }
    const int year = digits(date, 4, 2);
    int millisecond = 0;
    if (time.size() > 7 && time[6] == '.') {
        const std::string_view fraction = time.substr(7, 3);
        millisecond = digits(fraction, 0, fraction.size());
        for (size_t i = fraction.size(); i < 3; ++i) {
            millisecond *= 10;
        }
    }
    if (year < 0 || millisecond < 0) {
        return std::nullopt;
    }
    return utcMilliseconds(year + (year >= 70 ? 1900 : 2000), digits(date, 2, 2),
                           digits(date, 0, 2), digits(time, 0, 2), digits(time, 2, 2),
                           digits(time, 4, 2), millisecond);
}

// Signed degrees of a coordinate text of the parser; a position needs at least 7
// characters, as in the telemetry table.
int64_t loadBE64(const unsigned char* bytes)
{
    return static_cast<int64_t>(uint64_t{loadBE32(bytes)} << 32 | loadBE32(bytes + 4));
}

int16_t loadBE16(const unsigned char* bytes)
{
    return static_cast<int16_t>(bytes[0] << 8 | bytes[1]);
}

// The bytes of a box's content; the span is cut to the file, so the file holds them all.
std::string readContent(BinaryFile& file, const AtomHeader& box)
{
    const Span content = box.content();
    std::string bytes(content.end > content.begin ? content.end - content.begin : 0, '\0');
    bytes.resize(file.readAt(content.begin, bytes.data(), bytes.size()));
    return bytes;
}

bool startsLikeLog(BinaryFile& file, const AtomHeader& box)
{
    char first = 0;
    return box.content().end > box.content().begin &&
           file.readExact(box.content().begin, &first, 1) && (first == '[' || first == '$');
}

std::optional<LogBoxes> logIn(BinaryFile& file, const AtomHeader& parent)
{
    const std::optional<AtomHeader> text = findChildAtom(file, parent.content(), "gps ");
    if (!text || !startsLikeLog(file, *text)) {
        return std::nullopt;
    }
    return LogBoxes{*text, findChildAtom(file, parent.content(), "3gf "),
                    findChildAtom(file, parent.content(), "sttm")};
}

std::optional<LogBoxes> findLog(BinaryFile& file)
{
    AtomWalker walker(file, wholeFile(file));
    int visited = 0;
    while (const std::optional<AtomHeader> atom = walker.next()) {
        if (++visited > kMaxSkippedAtoms) {
            break;
        }
        if (!atom->is("free") && !atom->is("moov")) {
            continue;
        }
        if (std::optional<LogBoxes> boxes = logIn(file, *atom)) {
            return boxes;
        }
    }
    return std::nullopt;
}

// "[milliseconds]" at the line's start, advancing past it.
std::optional<int64_t> lineTime(std::string_view& line)
{
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const size_t close = line.find(']');
    if (close == std::string_view::npos || close < 2 || close - 1 > kMaxTimeDigits) {
        return std::nullopt;
    }
    int64_t ms = 0;
    for (size_t i = 1; i < close; ++i) {
        if (!isDigit(line[i])) {
            return std::nullopt;
        }
        ms = ms * 10 + (line[i] - '0');
    }
    line.remove_prefix(close + 1);
    return ms;
}

// The text up to the first CR or NUL.
std::string_view upToReturn(std::string_view line)
{
    size_t end = 0;
    while (end < line.size() && line[end] != '\r' && line[end] != '\0') {
        ++end;
    }
    return line.substr(0, end);
}

// The RMC fixes of the log, or its GGA fixes when it has no RMC.
std::vector<LoggedFix> logFixes(std::string_view text)
{
    std::vector<LoggedFix> rmc;
    std::vector<LoggedFix> gga;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::optional<int64_t> ms = lineTime(line);
        line = upToReturn(line);
        const bool isRmc = line.size() > 6 && line.substr(3, 3) == "RMC";
        // Once there is an RMC, the GGA lines are not needed.
        if (!isRmc && !rmc.empty()) {
            continue;
        }
        if (const std::optional<TimedFix> fix = fixFromSentence(line)) {
            (isRmc ? rmc : gga).push_back({ms, *fix});
        }
    }
    return rmc.empty() ? gga : rmc;
}

// Places the fixes on video time; see decodeNmeaBox.
std::vector<TimedFix> onVideoTime(const std::vector<LoggedFix>& logged,
                                  std::optional<int64_t> start)
{
    std::optional<int64_t> base;
    for (const LoggedFix& entry : logged) {
        if (entry.ms) {
            base = *entry.ms;
            break;
        }
    }
    if (base && start && *start <= *base && *base - *start <= kMaxStartLeadMs) {
        base = start;
    }
    std::vector<TimedFix> fixes;
    fixes.reserve(logged.size());
    for (size_t i = 0; i < logged.size(); ++i) {
        TimedFix fix = logged[i].fix;
        fix.videoSeconds = logged[i].ms ? static_cast<double>(*logged[i].ms - *base) / 1000.0
                                        : static_cast<double>(i);
        fixes.push_back(fix);
    }
    std::stable_sort(fixes.begin(), fixes.end(), [](const TimedFix& a, const TimedFix& b) {
        return a.videoSeconds < b.videoSeconds;
    });
    return fixes;
}

std::vector<TimedAcceleration> accelerations(const std::string& records)
{
    std::vector<TimedAcceleration> out;
    out.reserve(records.size() / kAccelRecordSize);
    const auto* bytes = reinterpret_cast<const unsigned char*>(records.data());
    for (size_t at = 0; at + kAccelRecordSize <= records.size(); at += kAccelRecordSize) {
        const uint32_t ms = loadBE32(bytes + at);
        if (ms == kAccelEnd) {
            break;
        }
        out.push_back({ms / 1000.0, loadBE16(bytes + at + 4) / kAccelPerG,
                       loadBE16(bytes + at + 6) / kAccelPerG,
                       loadBE16(bytes + at + 8) / kAccelPerG});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const TimedAcceleration& a, const TimedAcceleration& b) {
                         return a.videoSeconds < b.videoSeconds;
                     });
    return out;
}

std::optional<int64_t> startTime(BinaryFile& file, const std::optional<AtomHeader>& box)
{
    unsigned char bytes[8];
    if (!box || box->content().end - box->content().begin < sizeof bytes ||
        !file.readExact(box->content().begin, bytes, sizeof bytes)) {
        return std::nullopt;
    }
    // Before 1970 it is no start time (and could not be subtracted from one).
    const int64_t start = loadBE64(bytes);
    return start >= 0 ? std::optional<int64_t>(start) : std::nullopt;
}

}  // namespace

std::optional<int64_t> utcMilliseconds(int year, int month, int day, int hour, int minute,
                                       int second, int millisecond)
{
    if (year < 1970 || year > 2199 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60 || millisecond < 0 ||
        millisecond > 999) {
        return std::nullopt;
    }
    // Days from 1970-01-01 of a proleptic Gregorian date (the usual era arithmetic).
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t days = int64_t{era} * 146097 + dayOfEra - 719468;
    return ((days * 24 + hour) * 60 + minute) * 60000 + int64_t{second} * 1000 + millisecond;
}

std::optional<TimedFix> fixFromSentence(std::string_view sentence)
{
    if (sentence.size() < 7 || sentence[0] != '$' || sentence[6] != ',') {
        return std::nullopt;
    }
    const std::string_view type = sentence.substr(3, 3);
    if (type != "RMC" && type != "GGA") {
        return std::nullopt;
    }
    // The parser knows the "$GP" talker only; other talkers write the same fields.
    const std::string normal = "$GP" + std::string(sentence.substr(3));
    std::optional<Position> position;
    bool accepted = false;
    TimedFix fix;
    if (type == "RMC") {
        int truncatedSpeed = 0;
        accepted = parseGPRMC(normal, position, truncatedSpeed, fix.course);
        // The parser's speed is whole km/h; the field keeps its fraction.
        fix.speedKmh = decimalValue(field(normal, 7)) * kKnotsToKmh;
        fix.utcMs = rmcUtc(field(normal, 1), field(normal, 9));
        fix.valid = field(normal, 2) == "A";
    } else {
        accepted = parseGPGGA(normal, position);
        fix.valid = decimalValue(field(normal, 6)) > 0;
    }
    if (!accepted) {
        return std::nullopt;
    }
    if (position) {
        fix.latitude = position->latitude.value;
        fix.longitude = position->longitude.value;
    } else {
        fix.valid = false;
    }
    return fix;
}

bool detectNmeaBox(BinaryFile& file)
{
    return findLog(file).has_value();
}

std::optional<TimedTrack> decodeNmeaBox(BinaryFile& file, std::string& reason)
{
    const std::optional<LogBoxes> boxes = findLog(file);
    if (!boxes) {
        reason = "no NMEA log: no `gps ` box of text lines in a top-level free atom or in moov";
        return std::nullopt;
    }
    TimedTrack track;
    track.fixes =
        onVideoTime(logFixes(readContent(file, boxes->text)), startTime(file, boxes->start));
    if (boxes->accelerations) {
        track.accelerations = accelerations(readContent(file, *boxes->accelerations));
    }
    if (track.fixes.empty() && track.accelerations.empty()) {
        reason = "the NMEA log holds no RMC or GGA sentence and there are no accelerometer records";
        return std::nullopt;
    }
    return track;
}
