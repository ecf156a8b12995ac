#include "telemetry_dump.h"

#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "chip_detect.h"

namespace {

constexpr double kKmPerHourToMetresPerSecond = 1.0 / 3.6;

const char kUsage[] =
    "usage: dashcam-telemetry FILE...\n"
    "       dashcam-telemetry --gpx FILE...\n"
    "\n"
    "Lists each recording as the player's play list does and prints its telemetry\n"
    "table, tab-separated. With --gpx, writes the logged positions of all files as\n"
    "one GPX 1.1 document, one track per file; a point has a <time> when its layout\n"
    "dates the fix (RMC date and time, GoPro GPS time).\n"
    "\n"
    "File names are printed with control characters escaped as in C: \\t, \\n, \\r,\n"
    "\\xHH for any other byte below 0x20 and for 0x7F, and \\\\ for a backslash.\n"
    "Files that are not regular files (folders, pipes, devices) are not opened.\n";

std::string FileName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UpperExtension(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : fileName.substr(dot);
    for (char& c : ext) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return ext;
}

std::string PrintableName(const std::string& name)
{
    std::string printed;
    printed.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': printed += "\\\\"; break;
        case '\t': printed += "\\t"; break;
        case '\n': printed += "\\n"; break;
        case '\r': printed += "\\r"; break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", byte);
                printed += hex;
            } else {
                printed += c;
            }
        }
    }
    return printed;
}

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

void WriteEntryLine(std::ostream& out, int index, const tagAssistInfo& entry)
{
    char numbers[160];
    const int length = std::snprintf(numbers, sizeof numbers, "%d\t%.4f\t%.4f\t%.4f\t", index,
                                     entry.fX, entry.fY, entry.fZ);
    out.write(numbers, length);
    out << entry.strLatitude << '\t' << entry.strLongitude << '\t';
    const int tailLength = std::snprintf(numbers, sizeof numbers, "%d\t%.3f\n", entry.nSpeed,
                                         entry.dCourse);
    out.write(numbers, tailLength);
}

// xsd:dateTime in UTC, with milliseconds only when there are some.
std::string GpxTime(int64_t utcMs)
{
    const int64_t ms = (utcMs % 1000 + 1000) % 1000;
    const MovieTime t = UtcTime(utcMs);
    char text[64];
    int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month,
                               t.day, t.hour, t.minute, t.second);
    if (ms != 0)
        length += std::snprintf(text + length, sizeof text - static_cast<size_t>(length), ".%03d",
                                static_cast<int>(ms));
    return std::string(text, static_cast<size_t>(length)) + "Z";
}

void WriteTrackPoint(std::ostream& out, const tagAssistInfo& sample)
{
    out << "<trkpt lat=\"" << sample.strLatitude << "\" lon=\"" << sample.strLongitude << "\">";
    if (sample.utcMs)
        out << "<time>" << GpxTime(*sample.utcMs) << "</time>";
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

// A coordinate text the GPX schema accepts: a plain decimal number within the limit.
bool IsCoordinate(const std::string& text, double limit)
{
    if (text.empty() || text.find_first_not_of("-.0123456789") != std::string::npos)
        return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return *end == '\0' && value >= -limit && value <= limit;
}

bool IsOption(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

}  // namespace

void LoadRecording(const std::string& path, DumpedRecording& out)
{
    out.path = path;
    const std::string name = FileName(path);
    CPlayList list;
    list.AddFile(path, name, UpperExtension(name));
    list.GetAt(0, out.node);
    out.outcome = ReadTelemetry(out.node, out.table);
}

void WriteTableBlock(std::ostream& out, const DumpedRecording& recording)
{
    const tagFileNode& node = recording.node;
    const int count = recording.table.GetCount();
    out << "file\t" << PrintableName(recording.path) << '\n'
        << "layout\t" << LayoutName(node.layout) << '\n'
        << "sidecar\t" << PrintableName(node.strGpsPath) << '\n'
        << "time\t" << node.strTime << '\n'
        << "locked\t" << node.bLocked << '\n'
        << "result\t" << recording.outcome.result << '\n'
        << "count\t" << count << '\n';
    for (int i = 0; i < count; ++i)
        WriteEntryLine(out, i, *recording.table.Find(i));
    out << '\n';
}

void WriteGpxHeader(std::ostream& out)
{
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"dashcam-telemetry\""
           " xmlns=\"http://www.topografix.com/GPX/1/1\""
           " xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\""
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
           " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1"
           " http://www.topografix.com/GPX/1/1/gpx.xsd"
           " http://www.garmin.com/xmlschemas/TrackPointExtension/v2"
           " http://www.garmin.com/xmlschemas/TrackPointExtensionv2.xsd\">\n";
}

void WriteGpxTrack(std::ostream& out, const DumpedRecording& recording)
{
    out << "<trk>\n<name>" << XmlEscaped(recording.node.strFileName) << "</name>\n<trkseg>\n";
    // Every sample fills ENTRIES_PER_SAMPLE identical entries; one point per sample.
    const int count = recording.table.GetCount();
    for (int i = 0; i < count; i += ENTRIES_PER_SAMPLE) {
        const tagAssistInfo& sample = *recording.table.Find(i);
        if (sample.HasPosition() && IsCoordinate(sample.strLatitude, 90.0)
            && IsCoordinate(sample.strLongitude, 180.0))
            WriteTrackPoint(out, sample);
    }
    out << "</trkseg>\n</trk>\n";
}

void WriteGpxFooter(std::ostream& out)
{
    out << "</gpx>\n";
}

int RunDashcamTelemetry(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err)
{
    bool gpx = false;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || !IsOption(arg)) {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--gpx") {
            gpx = true;
        } else if (arg == "--help") {
            out << kUsage;
            return 0;
        } else {
            err << "dashcam-telemetry: unknown option " << arg << "\n" << kUsage;
            return 2;
        }
    }
    if (files.empty()) {
        err << "dashcam-telemetry: no FILE given\n" << kUsage;
        return 2;
    }

    int status = 0;
    if (gpx)
        WriteGpxHeader(out);
    for (const std::string& path : files) {
        DumpedRecording recording;
        LoadRecording(path, recording);
        const ReadOutcome& outcome = recording.outcome;
        if (outcome.cannotOpen) {
            err << "dashcam-telemetry: cannot open " << PrintableName(path) << ": "
                << PrintableName(outcome.reason) << '\n';
            status = 1;
        } else if (!outcome.reason.empty()) {
            err << "dashcam-telemetry: " << PrintableName(path) << ": "
                << PrintableName(outcome.reason) << '\n';
        }
        if (gpx)
            WriteGpxTrack(out, recording);
        else
            WriteTableBlock(out, recording);
    }
    if (gpx)
        WriteGpxFooter(out);
    return status;
}
