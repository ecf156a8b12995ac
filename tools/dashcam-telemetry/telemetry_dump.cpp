#include "tools/dashcam-telemetry/telemetry_dump.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

#include "telemetry/chip_detect.h"
#include "telemetry/file_name.h"
#include "telemetry/g_events.h"
#include "telemetry/track_export.h"
#include "telemetry/trip.h"
#include "tools/dashcam-telemetry/library_command.h"
#include "tools/dashcam-telemetry/recording_batch.h"

namespace {

const char kUsage[] =
    "usage: dashcam-telemetry [--trip] FILE|FOLDER...\n"
    "       dashcam-telemetry --gpx [--trip] FILE|FOLDER...\n"
    "       dashcam-telemetry --csv [--trip] FILE|FOLDER...\n"
    "       dashcam-telemetry --events FILE|FOLDER...\n"
    "       dashcam-telemetry --library DB FOLDER...\n"
    "       dashcam-telemetry --library DB --passed LAT,LON,METRES\n"
    "       dashcam-telemetry --library DB --at ISO-TIME\n"
    "\n"
    "Lists each recording as the player's play list does and prints its telemetry\n"
    "table, tab-separated. With --gpx, writes the logged positions of all files as\n"
    "one GPX 1.1 document, one track per file; a point has a <time> when its layout\n"
    "dates the fix (RMC date and time, GoPro GPS time), else from the movie header's\n"
    "creation time. With --csv, writes one row per logged second:\n"
    "time,latitude,longitude,speed_kmh,course,x_g,y_g,z_g.\n"
    "With --events, prints one tab-separated line per push the G-sensor logged:\n"
    "file, seconds into the recording, UTC time, kind (braking, acceleration,\n"
    "cornering, impact), peak g, speed in km/h (time and speed empty when unknown).\n"
    "A push counts beyond 0.35 g along the car, 0.40 g across it or 1.0 g in any\n"
    "direction, measured from the recording's mean; a push that lasts is one line.\n"
    "A FOLDER stands for its .MOV, .MP4 and .TS files in name order. With --trip,\n"
    "recordings that start within two minutes of the previous one's end form one trip\n"
    "(one GPX track, one segment per recording), as in the player.\n"
    "\n"
    "File names are printed with control characters escaped as in C: \\t, \\n, \\r,\n"
    "\\xHH for any other byte below 0x20 and for 0x7F, and \\\\ for a backslash.\n"
    "Files that are not regular files (folders, pipes, devices) are not opened.\n"
    "\n"
    "With --library DB, works on a library of recordings instead (see below).\n"
    "\n"
    "Exit status: 0; 1 when a file could not be opened, a folder could not be listed\n"
    "or the output could not be written to the end (the reason on standard error);\n"
    "2 for a usage error.\n";

std::string fileName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string printableName(const std::string& name)
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

namespace {

void writeEntryLine(std::ostream& out, int index, const TelemetryEntry& entry)
{
    char numbers[160];
    const int length = std::snprintf(numbers, sizeof numbers, "%d\t%.4f\t%.4f\t%.4f\t", index,
                                     entry.gX, entry.gY, entry.gZ);
    out.write(numbers, length);
    // No fix: both position fields empty.
    if (entry.position) {
        out << degreesText(entry.position->latitude) << '\t'
            << degreesText(entry.position->longitude) << '\t';
    } else {
        out << "\t\t";
    }
    const int tailLength =
        std::snprintf(numbers, sizeof numbers, "%d\t%.3f\n", entry.speedKmh, entry.course);
    out.write(numbers, tailLength);
}

bool isOption(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

enum class DumpFormat { Table, Gpx, Csv, Events };

void writeEventLines(std::ostream& out, const DumpedRecording& recording,
                     std::optional<std::int64_t> startUtcMs)
{
    const std::string file = printableName(recording.path);
    for (const GEvent& event : detectGEvents(recording.table)) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", event.seconds());
        char peak[32];
        std::snprintf(peak, sizeof peak, "%.2f", event.peakG);
        const std::optional<std::int64_t> utcMs = gEventUtcMs(event, startUtcMs);
        out << file << '\t' << seconds << '\t' << (utcMs ? isoUtcTime(*utcMs) : "") << '\t'
            << gEventKindName(event.kind) << '\t' << peak << '\t'
            << (event.speedKmh ? std::to_string(*event.speedKmh) : "") << '\n';
    }
}

void writeRecording(std::ostream& out, DumpFormat format, const DumpedRecording& recording)
{
    const ExportPart part{recording.node.displayName, &recording.table,
                          readRecordingClock(recording.path).startUtcMs};
    switch (format) {
    case DumpFormat::Table: writeTableBlock(out, recording); break;
    case DumpFormat::Gpx: writeGpxSegment(out, part); break;
    case DumpFormat::Csv: writeCsvRows(out, part); break;
    case DumpFormat::Events: writeEventLines(out, recording, part.startUtcMs); break;
    }
}

}  // namespace

void loadRecording(const std::string& path, DumpedRecording& out)
{
    out.path = path;
    const std::string name = fileName(path);
    out.node = describeRecording(path, name, upperExtension(name));
    out.outcome = readTelemetry(out.node, out.table);
}

void writeTableBlock(std::ostream& out, const DumpedRecording& recording)
{
    const RecordingEntry& node = recording.node;
    const int count = recording.table.count();
    out << "file\t" << printableName(recording.path) << '\n'
        << "layout\t" << layoutName(node.layout) << '\n'
        << "sidecar\t" << printableName(node.sidecarPath) << '\n'
        << "time\t" << node.timeText << '\n'
        << "locked\t" << node.locked << '\n'
        << "result\t" << recording.outcome.result << '\n'
        << "count\t" << count << '\n';
    for (int i = 0; i < count; ++i) {
        writeEntryLine(out, i, *recording.table.find(i));
    }
    out << '\n';
}

int runDashcamTelemetry(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                        bool showProgress)
{
    const auto optionsEnd = std::find(args.begin(), args.end(), "--");
    if (std::find(args.begin(), optionsEnd, "--library") != optionsEnd) {
        return runLibraryCommand(args, out, err);
    }
    DumpFormat format = DumpFormat::Table;
    bool trips = false;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || !isOption(arg)) {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--gpx") {
            format = DumpFormat::Gpx;
        } else if (arg == "--csv") {
            format = DumpFormat::Csv;
        } else if (arg == "--events") {
            format = DumpFormat::Events;
        } else if (arg == "--trip") {
            trips = true;
        } else if (arg == "--help") {
            out << kUsage << kLibraryUsage;
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
    const std::vector<std::string> recordings = expandFolders(files, err, status);
    const std::vector<std::vector<int>> groups = groupRecordings(recordings, trips);
    DumpProgress progress(err, showProgress, static_cast<int>(recordings.size()));
    if (format == DumpFormat::Gpx) {
        writeGpxHeader(out, "dashcam-telemetry");
    }
    if (format == DumpFormat::Csv) {
        writeCsvHeader(out);
    }
    for (const std::vector<int>& group : groups) {
        if (format == DumpFormat::Gpx) {
            writeGpxTrackBegin(out, fileName(recordings[group.front()]));
        }
        for (const int index : group) {
            const std::string& path = recordings[index];
            DumpedRecording recording;
            loadRecording(path, recording);
            const ReadOutcome& outcome = recording.outcome;
            if (outcome.cannotOpen) {
                err << "dashcam-telemetry: cannot open " << printableName(path) << ": "
                    << printableName(outcome.reason) << '\n';
                status = 1;
            } else if (!outcome.reason.empty()) {
                err << "dashcam-telemetry: " << printableName(path) << ": "
                    << printableName(outcome.reason) << '\n';
            }
            writeRecording(out, format, recording);
            progress.step();
            if (!out) {
                return status;  // nowhere to write the rest: the caller says why
            }
        }
        if (format == DumpFormat::Gpx) {
            writeGpxTrackEnd(out);
        }
    }
    if (format == DumpFormat::Gpx) {
        writeGpxFooter(out);
    }
    return status;
}
