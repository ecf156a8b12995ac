#include "track_export.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "assist_info_reader.h"

namespace {

constexpr double kKmPerHourToMetresPerSecond = 1.0 / 3.6;
constexpr std::int64_t kMsPerSample = 1000;

std::string XmlEscaped(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        default:
            // Control characters other than tab and line ends are not allowed in XML 1.0.
            const bool forbidden = static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n'
                                   && c != '\r';
            escaped += forbidden ? '?' : c;
        }
    }
    return escaped;
}

// A coordinate text the GPX schema accepts: a plain decimal number within the limit.
bool IsCoordinate(const std::string& text, double limit)
{
    if (text.empty() || text.find_first_not_of("-.0123456789") != std::string::npos)
        return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return *end == '\0' && value >= -limit && value <= limit;
}

bool HasExportablePosition(const tagAssistInfo& sample)
{
    return sample.HasPosition() && IsCoordinate(sample.strLatitude, 90.0)
           && IsCoordinate(sample.strLongitude, 180.0);
}

// The fix's own UTC when the layout dates it, else the movie's start plus the sample's second.
std::optional<std::int64_t> SampleTime(const ExportPart& part, int sample, const tagAssistInfo& entry)
{
    if (entry.utcMs)
        return entry.utcMs;
    if (!part.startUtcMs)
        return std::nullopt;
    return *part.startUtcMs + sample * kMsPerSample;
}

void WriteTrackPoint(std::ostream& out, const tagAssistInfo& sample, std::optional<std::int64_t> utcMs)
{
    out << "<trkpt lat=\"" << sample.strLatitude << "\" lon=\"" << sample.strLongitude << "\">";
    if (utcMs)
        out << "<time>" << IsoUtcTime(*utcMs) << "</time>";
    // A sample without speed and course (a GGA sentence) logs both as zero.
    if (sample.nSpeed != 0 || sample.dCourse != 0.0) {
        char motion[200];
        std::snprintf(motion, sizeof motion,
                      "<extensions><gpxtpx:TrackPointExtension>"
                      "<gpxtpx:speed>%.3f</gpxtpx:speed><gpxtpx:course>%.3f</gpxtpx:course>"
                      "</gpxtpx:TrackPointExtension></extensions>",
                      sample.nSpeed * kKmPerHourToMetresPerSecond, sample.dCourse);
        out << motion;
    }
    out << "</trkpt>\n";
}

}  // namespace

std::string IsoUtcTime(std::int64_t utcMs)
{
    using namespace std::chrono;
    const sys_time<milliseconds> time{milliseconds{utcMs}};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[64];
    int length = std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d",
                               static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                               static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                               static_cast<int>(clock.minutes().count()),
                               static_cast<int>(clock.seconds().count()));
    if (const auto ms = clock.subseconds().count(); ms != 0)
        length += std::snprintf(text + length, sizeof text - static_cast<size_t>(length), ".%03d",
                                static_cast<int>(ms));
    return std::string(text, static_cast<size_t>(length)) + "Z";
}

void WriteGpxHeader(std::ostream& out, const std::string& creator)
{
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"" << XmlEscaped(creator) << "\""
           " xmlns=\"http://www.topografix.com/GPX/1/1\""
           " xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\""
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
           " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1"
           " http://www.topografix.com/GPX/1/1/gpx.xsd"
           " http://www.garmin.com/xmlschemas/TrackPointExtension/v2"
           " http://www.garmin.com/xmlschemas/TrackPointExtensionv2.xsd\">\n";
}

void WriteGpxTrackBegin(std::ostream& out, const std::string& name)
{
    out << "<trk>\n<name>" << XmlEscaped(name) << "</name>\n";
}

void WriteGpxSegment(std::ostream& out, const ExportPart& part)
{
    out << "<trkseg>\n";
    // Every sample fills ENTRIES_PER_SAMPLE identical entries; one point per sample.
    const int count = part.table ? part.table->GetCount() : 0;
    for (int i = 0; i < count; i += ENTRIES_PER_SAMPLE) {
        const tagAssistInfo& sample = *part.table->Find(i);
        if (HasExportablePosition(sample))
            WriteTrackPoint(out, sample, SampleTime(part, i / ENTRIES_PER_SAMPLE, sample));
    }
    out << "</trkseg>\n";
}

void WriteGpxTrackEnd(std::ostream& out)
{
    out << "</trk>\n";
}

void WriteGpxFooter(std::ostream& out)
{
    out << "</gpx>\n";
}

void WriteCsvHeader(std::ostream& out)
{
    out << "time,latitude,longitude,speed_kmh,course,x_g,y_g,z_g\n";
}

void WriteCsvRows(std::ostream& out, const ExportPart& part)
{
    const int count = part.table ? part.table->GetCount() : 0;
    for (int i = 0; i < count; i += ENTRIES_PER_SAMPLE) {
        const tagAssistInfo& sample = *part.table->Find(i);
        if (const auto utcMs = SampleTime(part, i / ENTRIES_PER_SAMPLE, sample))
            out << IsoUtcTime(*utcMs);
        out << ',';
        // Coordinates are checked numbers, so no field needs quoting.
        if (HasExportablePosition(sample))
            out << sample.strLatitude << ',' << sample.strLongitude;
        else
            out << ',';
        char numbers[160];
        const int length = std::snprintf(numbers, sizeof numbers, ",%d,%.3f,%.4f,%.4f,%.4f\n",
                                         sample.nSpeed, sample.dCourse, sample.fX, sample.fY, sample.fZ);
        out.write(numbers, length);
    }
}
