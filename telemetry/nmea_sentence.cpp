#include "telemetry/nmea_sentence.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "telemetry/telemetry_table.h"

namespace {

constexpr size_t kMaxFieldLength = 32;
constexpr size_t kSentenceBuffer = 1024;  // the sentence of a log line keeps 1023 bytes
constexpr double kKnotsToKmh = 1.85;
constexpr size_t kMaxFields = 9;  // no caller looks past field 9
// Weights of the eight key characters: the fifth and eighth count twice.
constexpr std::array<int, 8> kKeyWeights = {1, 1, 1, 1, 2, 1, 1, 2};

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

size_t skipSpace(std::string_view text, size_t at)
{
    while (at < text.size() && isSpace(text[at])) {
        ++at;
    }
    return at;
}

// Reads "%d" at `at`: white space, sign, at least one digit. Advances `at` past it.
bool readInt(std::string_view text, size_t& at, int& value)
{
    size_t i = skipSpace(text, at);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i++] == '-';
    }
    const size_t digitsStart = i;
    int64_t magnitude = 0;
    bool tooLarge = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        if (!tooLarge) {
            magnitude = magnitude * 10 + (text[i] - '0');
        }
        tooLarge = tooLarge || magnitude > (int64_t{1} << 32);
    }
    if (i == digitsStart) {
        return false;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    const bool inRange = !tooLarge && signedValue >= std::numeric_limits<int>::min() &&
                         signedValue <= std::numeric_limits<int>::max();
    value = inRange ? static_cast<int>(signedValue) : 0;
    at = i;
    return true;
}

// Splits a sentence at commas into at most kMaxFields fields; returns the field count
// (the last field keeps any further commas).
size_t splitFields(std::string_view sentence, std::array<std::string_view, kMaxFields>& fields)
{
    size_t count = 0;
    size_t start = 0;
    while (count < kMaxFields) {
        const size_t comma = sentence.find(',', start);
        if (comma == std::string_view::npos || count + 1 == kMaxFields) {
            fields[count++] = sentence.substr(
                start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
            break;
        }
        fields[count++] = sentence.substr(start, comma - start);
        start = comma + 1;
    }
    return count;
}

// The value of exactly two digits at text[at], or -1.
int twoDigits(std::string_view text, size_t at)
{
    if (at + 2 > text.size() || !isDigit(text[at]) || !isDigit(text[at + 1])) {
        return -1;
    }
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// Milliseconds into the day of "hhmmss" with an optional fraction of a second, or -1.
int64_t dayMs(std::string_view field)
{
    const int h = twoDigits(field, 0);
    const int m = twoDigits(field, 2);
    const int s = twoDigits(field, 4);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 60) {
        return -1;
    }
    int64_t ms = ((h * 60 + m) * 60 + s) * int64_t{1000};
    if (field.size() == 6) {
        return ms;
    }
    if (field[6] != '.') {
        return -1;
    }
    int64_t scale = 100;
    for (const char c : field.substr(7)) {
        if (!isDigit(c)) {
            return -1;
        }
        ms += (c - '0') * scale;
        scale /= 10;
    }
    return ms;
}

// Milliseconds from 1970 to the start of "ddmmyy", or nothing.
std::optional<int64_t> dateMs(std::string_view field)
{
    using namespace std::chrono;
    const int d = twoDigits(field, 0);
    const int m = twoDigits(field, 2);
    const int y = twoDigits(field, 4);
    if (field.size() != 6 || d < 0 || m < 0 || y < 0) {
        return std::nullopt;
    }
    const year_month_day date{year{y < 80 ? 2000 + y : 1900 + y}, month{static_cast<unsigned>(m)},
                              day{static_cast<unsigned>(d)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    return duration_cast<milliseconds>(sys_days{date}.time_since_epoch()).count();
}

char firstLetter(std::string_view field)
{
    return field.empty() ? '\0' : field.front();
}

// Truncates toward zero; a value outside the int range counts 0.
int truncateToInt(double value)
{
    if (!(value > static_cast<double>(std::numeric_limits<int>::min()) - 1.0 &&
          value < static_cast<double>(std::numeric_limits<int>::max()) + 1.0)) {
        return 0;
    }
    return static_cast<int>(value);
}

// The position of a sentence whose fields were checked: latitude, N/S, longitude, E/W
// starting at field index first. Nothing unless both coordinates read.
std::optional<Position> readPosition(const std::array<std::string_view, kMaxFields>& fields,
                                     size_t first)
{
    const std::optional<Degrees> latitude =
        nmeaDegrees(fields[first], firstLetter(fields[first + 1]));
    const std::optional<Degrees> longitude =
        nmeaDegrees(fields[first + 2], firstLetter(fields[first + 3]));
    if (!latitude || !longitude) {
        return std::nullopt;
    }
    return Position{*latitude, *longitude};
}

}  // namespace

void descrambleLine(char* text, int shift)
{
    if (text == nullptr) {
        return;
    }
    const auto delta = static_cast<unsigned char>(shift & 0xFF);
    for (char* p = text; *p != '\0' && *p != '\n' && *p != '\r'; ++p) {
        *p = static_cast<char>(static_cast<unsigned char>(*p) - delta);
    }
}

int keyDigitSum(std::string_view digits)
{
    int sum = 0;
    for (size_t i = 0; i < kKeyWeights.size() && i < digits.size(); ++i) {
        if (isDigit(digits[i])) {
            sum += kKeyWeights[i] * (digits[i] - '0');
        }
    }
    return sum;
}

int keyByteSum(const unsigned char* bytes)
{
    int sum = 0;
    for (size_t i = 0; i < kKeyWeights.size(); ++i) {
        sum += kKeyWeights[i] * bytes[i];
    }
    return sum;
}

double decimalValue(std::string_view text)
{
    size_t i = skipSpace(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i++] == '-';
    }
    const size_t start = i;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
    }
    size_t intDigits = i - start;
    size_t fracDigits = 0;
    if (i < text.size() && text[i] == '.') {
        size_t j = i + 1;
        while (j < text.size() && isDigit(text[j])) {
            ++j;
        }
        fracDigits = j - i - 1;
        if (intDigits + fracDigits > 0) {
            i = j;
        }
    }
    if (intDigits + fracDigits == 0) {
        return 0.0;
    }
    // Only digits and one point are handed over, so no exponent or hex form can be read.
    double value = 0.0;
    const auto result =
        std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::fixed);
    if (result.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

LogLine splitLogLine(std::string_view line)
{
    LogLine out;
    size_t at = 0;
    if (!readInt(line, at, out.x) || !readInt(line, at, out.y) || !readInt(line, at, out.z)) {
        return out;
    }
    const size_t start = skipSpace(line, at);
    size_t end = start;
    while (end < line.size() && !isSpace(line[end]) && end - start < kSentenceBuffer - 1) {
        ++end;
    }
    out.sentence = line.substr(start, end - start);
    return out;
}

std::optional<Degrees> nmeaDegrees(std::string_view field, char letter)
{
    const size_t point = field.find('.');
    if (point == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view fractionText = field.substr(point + 1);
    const int decimals = fractionText.size() == 4 ? 6 : fractionText.size() == 5 ? 7 : 0;
    if (decimals == 0) {
        return std::nullopt;
    }
    const int64_t whole = truncateToInt(decimalValue(field.substr(0, point)));
    const int64_t degrees = whole / 100;
    const int64_t minutes = whole % 100;
    const int64_t fraction = truncateToInt(decimalValue(fractionText));
    const int64_t fractionScale = decimals == 6 ? 10000 : 100000;
    const int64_t scale = fractionScale * 100;
    // Minutes to millionths (ten-millionths) of a degree, truncated as the cameras' own
    // players show them; one division makes the nearest double of that decimal.
    const int64_t units = degrees * scale + ((minutes * fractionScale + fraction) * 100) / 60;
    const double magnitude = static_cast<double>(units) / static_cast<double>(scale);
    const bool negative = letter == 'W' || letter == 'S';
    return Degrees{negative ? -magnitude : magnitude, decimals};
}

bool parseGPRMC(std::string_view sentence, std::optional<Position>& position, int& speed,
                double& course)
{
    std::array<std::string_view, kMaxFields> f;
    if (splitFields(sentence, f) < 9 || f[0] != "$GPRMC") {
        return false;
    }
    // The last field may carry the rest of the sentence: only its text before a comma counts.
    const std::string_view courseField = f[8].substr(0, f[8].find(','));
    for (std::string_view used : {f[3], f[5], f[7], courseField}) {
        if (used.size() > kMaxFieldLength) {
            return false;
        }
    }
    position = readPosition(f, 3);
    speed = truncateToInt(decimalValue(f[7]) * kKnotsToKmh);
    course = decimalValue(courseField);
    return true;
}

bool parseGPGGA(std::string_view sentence, std::optional<Position>& position)
{
    std::array<std::string_view, kMaxFields> f;
    if (splitFields(sentence, f) < 6 || f[0] != "$GPGGA") {
        return false;
    }
    if (f[2].size() > kMaxFieldLength || f[4].size() > kMaxFieldLength) {
        return false;
    }
    position = readPosition(f, 2);
    return true;
}

std::optional<int64_t> rmcUtcMs(std::string_view sentence)
{
    constexpr size_t kTimeField = 1;
    constexpr size_t kDateField = 9;
    if (!sentence.starts_with("$GPRMC,")) {
        return std::nullopt;
    }
    std::array<std::string_view, kDateField + 1> f;
    size_t start = 0;
    for (size_t i = 0; i <= kDateField; ++i) {
        if (start > sentence.size()) {
            return std::nullopt;
        }
        const size_t end = std::min(sentence.find_first_of(",*", start), sentence.size());
        f[i] = sentence.substr(start, end - start);
        start = end + 1;
    }
    const int64_t ms = dayMs(f[kTimeField]);
    const std::optional<int64_t> date = dateMs(f[kDateField]);
    if (ms < 0 || !date) {
        return std::nullopt;
    }
    return *date + ms;
}

void parseSentence(std::string_view sentence, TelemetryEntry& sample)
{
    if (sentence.starts_with("$GPGGA")) {
        parseGPGGA(sentence, sample.position);
    } else {
        parseGPRMC(sentence, sample.position, sample.speedKmh, sample.course);
        sample.utcMs = rmcUtcMs(sentence);
    }
}

int TelemetryTable::parseAssistLine(char* line, int shift)
{
    if (line == nullptr) {
        return -1;
    }
    descrambleLine(line, shift);
    const LogLine items = splitLogLine(line);
    TelemetryEntry sample;
    sample.gX = static_cast<float>(items.x / 1000.0);
    sample.gY = static_cast<float>(items.y / 1000.0);
    sample.gZ = static_cast<float>(items.z / 1000.0);
    parseSentence(items.sentence, sample);
    appendSample(sample);
    return 0;
}
