#include "telemetry_dump.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <ostream>

#include "recording_batch.h"
#include "track_export.h"
#include "trip.h"

namespace {

const char kUsage[] =
    "usage: dashcam-telemetry [--trip] FILE|FOLDER...\n"
    "       dashcam-telemetry --gpx [--trip] FILE|FOLDER...\n"
    "       dashcam-telemetry --csv [--trip] FILE|FOLDER...\n"
    "\n"
    "Lists each recording as the player's play list does and prints its telemetry\n"
    "table, tab-separated. With --gpx, writes the logged positions of all files as\n"
    "one GPX 1.1 document, one track per file. With --csv, writes one row per logged\n"
    "second: time,latitude,longitude,speed_kmh,course,x_g,y_g,z_g.\n"
    "A FOLDER stands for its .MOV and .TS files in name order. With --trip, recordings\n"
    "that start within two minutes of the previous one's end form one trip (one GPX\n"
    "track, one segment per recording), as in the player. Points are timed from the\n"
    "movie header's creation time.\n";

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

// Why the file cannot be read, or nothing when it can.
std::optional<std::string> OpenFailure(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::string(std::strerror(errno));
    struct stat st {};
    const bool isFolder = ::fstat(::fileno(file), &st) == 0 && S_ISDIR(st.st_mode);
    std::fclose(file);
    if (isFolder)
        return std::string(std::strerror(EISDIR));
    return std::nullopt;
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

bool IsOption(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

enum class DumpFormat { Table, Gpx, Csv };

void WriteRecording(std::ostream& out, DumpFormat format, const DumpedRecording& recording)
{
    const ExportPart part{recording.node.strFileName, &recording.table,
                          ReadRecordingClock(recording.path).startUtcMs};
    switch (format) {
    case DumpFormat::Table: WriteTableBlock(out, recording); break;
    case DumpFormat::Gpx: WriteGpxSegment(out, part); break;
    case DumpFormat::Csv: WriteCsvRows(out, part); break;
    }
}

}  // namespace

const char* LayoutName(const tagFileNode& node)
{
    if (!node.strGpsPath.empty())
        return "sidecar";
    if (node.bICat)
        return "icat";
    if (node.bAmbarella)
        return "a7l";
    if (node.bNT96650)
        return "nt96650";
    return "none";
}

void LoadRecording(const std::string& path, DumpedRecording& out)
{
    out.path = path;
    const std::string name = FileName(path);
    CPlayList list;
    list.AddFile(path, name, UpperExtension(name));
    list.GetAt(0, out.node);
    out.result = out.table.ReadRecording(out.node);
}

void WriteTableBlock(std::ostream& out, const DumpedRecording& recording)
{
    const tagFileNode& node = recording.node;
    const int count = recording.table.GetCount();
    out << "file\t" << recording.path << '\n'
        << "layout\t" << LayoutName(node) << '\n'
        << "sidecar\t" << node.strGpsPath << '\n'
        << "time\t" << node.strTime << '\n'
        << "locked\t" << node.bLocked << '\n'
        << "result\t" << recording.result << '\n'
        << "count\t" << count << '\n';
    for (int i = 0; i < count; ++i)
        WriteEntryLine(out, i, *recording.table.Find(i));
    out << '\n';
}

int RunDashcamTelemetry(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err, bool showProgress)
{
    DumpFormat format = DumpFormat::Table;
    bool trips = false;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || !IsOption(arg)) {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--gpx") {
            format = DumpFormat::Gpx;
        } else if (arg == "--csv") {
            format = DumpFormat::Csv;
        } else if (arg == "--trip") {
            trips = true;
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
    const std::vector<std::string> recordings = ExpandFolders(files, err, status);
    const std::vector<std::vector<int>> groups = GroupRecordings(recordings, trips);
    DumpProgress progress(err, showProgress, static_cast<int>(recordings.size()));
    if (format == DumpFormat::Gpx)
        WriteGpxHeader(out, "dashcam-telemetry");
    if (format == DumpFormat::Csv)
        WriteCsvHeader(out);
    for (const std::vector<int>& group : groups) {
        if (format == DumpFormat::Gpx)
            WriteGpxTrackBegin(out, FileName(recordings[group.front()]));
        for (const int index : group) {
            const std::string& path = recordings[index];
            if (const auto failure = OpenFailure(path)) {
                err << "dashcam-telemetry: cannot open " << path << ": " << *failure << '\n';
                status = 1;
            }
            DumpedRecording recording;
            LoadRecording(path, recording);
            WriteRecording(out, format, recording);
            progress.Step();
        }
        if (format == DumpFormat::Gpx)
            WriteGpxTrackEnd(out);
    }
    if (format == DumpFormat::Gpx)
        WriteGpxFooter(out);
    return status;
}
