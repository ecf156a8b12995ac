#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "telemetry/telemetry_table.h"

// Shared pieces of every telemetry layout: the byte shift, the key digits, the log line
// and the two NMEA sentence types the cameras write.

// Subtracts shift from every byte of the zero-terminated text up to the first stored
// CR or LF (tested before subtracting).
void descrambleLine(char* text, int shift);

// d1 + d2 + d3 + d4 + 2*d5 + d6 + d7 + 2*d8 of the first eight characters (a character
// that is not a digit, or a missing one, counts 0).
int keyDigitSum(std::string_view digits);
// The same weights over the plain values of eight bytes (the ICAT key).
int keyByteSum(const unsigned char* bytes);

// Plain decimal value of the text's start: optional white space, sign, digits, point,
// digits. Hexadecimal, exponents, "inf" and "nan" are not read; no number gives 0.
double decimalValue(std::string_view text);

// The items of a descrambled log line "%d\t%d\t%d\t%s" (any white space between items).
// Items after the first one that does not match stay 0 / empty; an axis outside the
// 32-bit range counts 0. The sentence is at most 1023 bytes.
struct LogLine
{
    int x = 0;
    int y = 0;
    int z = 0;
    std::string_view sentence;
};
LogLine splitLogLine(std::string_view line);

// "$GPRMC": when the whole sentence is accepted, sets the position (nothing unless both
// coordinates read), the speed (knots x 1.85, truncated) and the course, and gives true;
// otherwise leaves every output unchanged and gives false.
bool parseGPRMC(std::string_view sentence, std::optional<Position>& position, int& speed,
                double& course);
// "$GPGGA": sets the position when accepted, as parseGPRMC does.
bool parseGPGGA(std::string_view sentence, std::optional<Position>& position);

// UTC of a "$GPRMC" sentence from its time (field 2, hhmmss with an optional fraction) and
// date (field 10, ddmmyy; years 80-99 are 1980-1999, 00-79 are 2000-2079), in milliseconds
// since 1970. Nothing when it is another sentence or either field is missing or malformed.
std::optional<int64_t> rmcUtcMs(std::string_view sentence);

// "$GPGGA" through parseGPGGA, any other sentence through parseGPRMC (with its UTC), into
// the sample.
void parseSentence(std::string_view sentence, TelemetryEntry& sample);

// NMEA (d)ddmm.f... to signed decimal degrees, negative for 'W' and 'S': truncated to 6
// decimals for four minute-fraction digits, to 7 for five. Nothing without a point or with
// any other count of fraction digits.
std::optional<Degrees> nmeaDegrees(std::string_view field, char letter);
