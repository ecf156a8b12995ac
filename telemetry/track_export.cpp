#include "telemetry/track_export.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string_view>

#include "telemetry/telemetry_table.h"

namespace {

constexpr double kKmPerHourToMetresPerSecond = 1.0 / 3.6;
constexpr std::int64_t kMsPerSample = 1000;

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";  // U+FFFD

bool isContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF)
{
    return byte >= low && byte <= high;
}

// The length of the UTF-8 sequence at text[at] that encodes a character XML 1.0 allows
// beyond ASCII, or 0: overlong forms, surrogates, U+FFFE, U+FFFF and cut sequences are none.
size_t xmlCharacterLength(std::string_view text, size_t at)
{
    const auto byte = [&](size_t i) {
        return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0;
    };
    const unsigned char lead = byte(0);
    if (lead >= 0xC2 && lead <= 0xDF) {
        return isContinuation(byte(1)) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        const bool nonCharacter = lead == 0xEF && byte(1) == 0xBF && byte(2) >= 0xBE;
        return isContinuation(byte(1), low, high) && isContinuation(byte(2)) && !nonCharacter ? 3
                                                                                              : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return isContinuation(byte(1), low, high) && isContinuation(byte(2)) &&
                       isContinuation(byte(3))
                   ? 4
                   : 0;
    }
    return 0;
}

// Text for XML content and attributes. A name from the file system may be any bytes: each
// byte that is no part of a character XML allows becomes U+FFFD, so the document stays
// readable whatever the name.
std::string xmlEscaped(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            const size_t length = xmlCharacterLength(text, i);
            if (length == 0) {
                escaped += kReplacementCharacter;
            } else {
                escaped.append(text, i, length);
            }
            i += std::max<size_t>(length, 1);
            continue;
        }
        ++i;
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        default:
            // Control characters other than tab and line ends are not allowed in XML 1.0.
            const bool forbidden = byte < 0x20 && c != '\t' && c != '\n' && c != '\r';
            escaped += forbidden ? '?' : c;
        }
    }
    return escaped;
}

// The position when it can go into a track: on earth.
const Position* exportablePosition(const TelemetryEntry& sample)
{
    return sample.position && isOnEarth(*sample.position) ? &*sample.position : nullptr;
}

void writeCoordinates(std::ostream& out, const Position& position, const char* between)
{
    out << degreesText(position.latitude) << between << degreesText(position.longitude);
}

// The fix's own UTC when the layout dates it, else the movie's start plus the sample's second.
std::optional<std::int64_t> sampleTime(const ExportPart& part, int sample,
                                       const TelemetryEntry& entry)
{
    if (entry.utcMs) {
        return entry.utcMs;
    }
    if (!part.startUtcMs) {
        return std::nullopt;
    }
    return *part.startUtcMs + sample * kMsPerSample;
}

void writeTrackPoint(std::ostream& out, const TelemetryEntry& sample, const Position& position,
                     std::optional<std::int64_t> utcMs)
{
    out << "<trkpt lat=\"";
    writeCoordinates(out, position, "\" lon=\"");
    out << "\">";
    if (utcMs) {
        out << "<time>" << isoUtcTime(*utcMs) << "</time>";
    }
    // A sample without speed and course (a GGA sentence) logs both as zero.
    if (sample.speedKmh != 0 || sample.course != 0.0) {
        char motion[200];
        std::snprintf(motion, sizeof motion,
                      "<extensions><gpxtpx:TrackPointExtension>"
                      "<gpxtpx:speed>%.3f</gpxtpx:speed><gpxtpx:course>%.3f</gpxtpx:course>"
                      "</gpxtpx:TrackPointExtension></extensions>",
                      sample.speedKmh * kKmPerHourToMetresPerSecond, sample.course);
        out << motion;
    }
    out << "</trkpt>\n";
}

}  // namespace

std::string isoUtcTime(std::int64_t utcMs)
{
    using namespace std::chrono;
    const sys_time<milliseconds> time{milliseconds{utcMs}};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[64];
    int length = std::snprintf(
        text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
        static_cast<int>(clock.seconds().count()));
    if (const auto ms = clock.subseconds().count(); ms != 0) {
        length += std::snprintf(text + length, sizeof text - static_cast<size_t>(length), ".%03d",
                                static_cast<int>(ms));
    }
    return std::string(text, static_cast<size_t>(length)) + "Z";
}

void writeGpxHeader(std::ostream& out, const std::string& creator)
{
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\""
        << xmlEscaped(creator)
        << "\""
           " xmlns=\"http://www.topografix.com/GPX/1/1\""
           " xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\""
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
           " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1"
           " http://www.topografix.com/GPX/1/1/gpx.xsd"
           " http://www.garmin.com/xmlschemas/TrackPointExtension/v2"
           " http://www.garmin.com/xmlschemas/TrackPointExtensionv2.xsd\">\n";
}

void writeGpxTrackBegin(std::ostream& out, const std::string& name)
{
    out << "<trk>\n<name>" << xmlEscaped(name) << "</name>\n";
}

void writeGpxSegment(std::ostream& out, const ExportPart& part)
{
    out << "<trkseg>\n";
    // Every sample fills kEntriesPerSample identical entries; one point per sample.
    const int count = part.table ? part.table->count() : 0;
    for (int i = 0; i < count; i += kEntriesPerSample) {
        const TelemetryEntry& sample = *part.table->find(i);
        if (const Position* position = exportablePosition(sample)) {
            writeTrackPoint(out, sample, *position,
                            sampleTime(part, i / kEntriesPerSample, sample));
        }
    }
    out << "</trkseg>\n";
}

void writeGpxTrackEnd(std::ostream& out)
{
    out << "</trk>\n";
}

void writeGpxFooter(std::ostream& out)
{
    out << "</gpx>\n";
}

void writeCsvHeader(std::ostream& out)
{
    out << "time,latitude,longitude,speed_kmh,course,x_g,y_g,z_g\n";
}

void writeCsvRows(std::ostream& out, const ExportPart& part)
{
    const int count = part.table ? part.table->count() : 0;
    for (int i = 0; i < count; i += kEntriesPerSample) {
        const TelemetryEntry& sample = *part.table->find(i);
        if (const auto utcMs = sampleTime(part, i / kEntriesPerSample, sample)) {
            out << isoUtcTime(*utcMs);
        }
        out << ',';
        // Coordinates are plain numbers, so no field needs quoting.
        if (const Position* position = exportablePosition(sample)) {
            writeCoordinates(out, *position, ",");
        } else {
            out << ',';
        }
        char numbers[160];
        const int length =
            std::snprintf(numbers, sizeof numbers, ",%d,%.3f,%.4f,%.4f,%.4f\n", sample.speedKmh,
                          sample.course, sample.gX, sample.gY, sample.gZ);
        out.write(numbers, length);
    }
}
