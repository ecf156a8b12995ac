// Reading an hour of telemetry per layout, and listing recordings into the catalogue.
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "benchmark_args.h"
#include <benchmark/benchmark.h>

#include "assist_info_reader.h"
#include "drive.h"
#include "layout_reader.h"
#include "layout_writer.h"
#include "recording_entry.h"
#include "timed_track_layout.h"
#include "track_export.h"
#include "trip.h"

namespace {

namespace lw = layout_writer;
namespace fs = std::filesystem;

constexpr int kHour = 3600;
constexpr int kFolderSize = 1000;

// The recordings of every benchmark, written once into a folder removed at exit.
class Recordings {
public:
    Recordings()
    {
        std::string pattern = (fs::temp_directory_path() / "dashcam-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        m_root = pattern;
        WriteHours();
        WriteFolder();
    }
    ~Recordings()
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    std::string Hour(const std::string& name) const { return (m_root / name).string(); }
    const std::vector<std::string>& Folder() const { return m_folder; }

private:
    fs::path m_root;
    std::vector<std::string> m_folder;

    void WriteHours()
    {
        const auto samples = DriveSamples(kHour);
        bool ok = lw::WriteFile(Hour("hour.DAT"), lw::Sidecar(samples));
        ok = ok && lw::WriteFile(Hour("icat.MOV"), lw::IcatMovie(samples));
        ok = ok && lw::WriteFile(Hour("a7l.MOV"), lw::A7lMovie(samples));
        ok = ok && lw::WriteFile(Hour("nt-first.MOV"), lw::Nt96650FirstTrackMovie(samples));
        ok = ok && lw::WriteFile(Hour("nt-second.MOV"), lw::Nt96650SecondTrackMovie(samples));
        ok = ok && lw::WriteFile(Hour("gopro.MP4"), lw::GoProMovie(lw::GpmfDrive(kHour)));
        if (!ok)
            std::abort();
    }

    // A card's worth of one-minute recordings, the five layouts in turn.
    void WriteFolder()
    {
        const auto minute = DriveSamples(60);
        const std::string goProMinute = lw::GoProMovie(lw::GpmfDrive(60));
        const fs::path folder = m_root / "DCIM";
        fs::create_directories(folder / "gps");
        bool ok = true;
        for (int i = 0; i < kFolderSize; ++i) {
            const std::string base = (folder / ("REC" + std::to_string(10000 + i))).string();
            const std::string movie = base + ".MOV";
            switch (i % 5) {
            case 0:
                ok = ok && lw::WriteFile(movie, lw::MovieSecondShape(3600000000u + i));
                ok = ok && lw::WriteFile((folder / "gps" / fs::path(base).filename()).string() + ".DAT",
                                         lw::Sidecar(minute));
                break;
            case 1: ok = ok && lw::WriteFile(movie, lw::IcatMovie(minute)); break;
            case 2: ok = ok && lw::WriteFile(movie, lw::A7lMovie(minute)); break;
            case 3: ok = ok && lw::WriteFile(movie, lw::Nt96650FirstTrackMovie(minute)); break;
            default: ok = ok && lw::WriteFile(movie, goProMinute); break;
            }
            m_folder.push_back(movie);
        }
        if (!ok)
            std::abort();
    }
};

const Recordings& Files()
{
    static const Recordings recordings;
    return recordings;
}

using Reader = std::function<int(CAssistInfoReader&, const std::string&)>;

int ReadGoPro(CAssistInfoReader& table, const std::string& path)
{
    return ReadMovieFile(GoProLayout(), path, table);
}

void ReadHour(benchmark::State& state, Reader reader, const std::string& name)
{
    const std::string path = Files().Hour(name);
    CAssistInfoReader table;
    if (reader(table, path) != kHour * ENTRIES_PER_SAMPLE) {
        state.SkipWithError("the recording did not read as one hour");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(reader(table, path));
    state.SetItemsProcessed(state.iterations() * kHour);
}

BENCHMARK_CAPTURE(ReadHour, sidecar, &CAssistInfoReader::ReadDatFile, "hour.DAT")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadHour, icat, &CAssistInfoReader::ReadICatMovie, "icat.MOV")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadHour, a7l, &CAssistInfoReader::ReadA7LMovie, "a7l.MOV")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadHour, nt96650_first_track, &CAssistInfoReader::ReadNT96650Movie,
                  "nt-first.MOV")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadHour, nt96650_second_track, &CAssistInfoReader::ReadNT96650Movie,
                  "nt-second.MOV")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadHour, gopro_gpmf, ReadGoPro, "gopro.MP4")->Unit(benchmark::kMillisecond);

// One iteration describes one recording as the play list adds it (sidecar, layout, time).
void AddFile(benchmark::State& state)
{
    const std::vector<std::string>& folder = Files().Folder();
    size_t next = 0;
    for (auto _ : state) {
        const std::string& path = folder[next];
        benchmark::DoNotOptimize(DescribeRecording(path, path.substr(path.rfind('/') + 1), ".MOV"));
        next = (next + 1) % folder.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(AddFile)->Unit(benchmark::kMicrosecond);

// An hour of telemetry (one ICAT table) written as GPX or CSV into memory, as the window
// and dashcam-telemetry write it before it goes to the file.
void ExportHour(benchmark::State& state, bool csv)
{
    CAssistInfoReader table;
    if (table.ReadICatMovie(Files().Hour("icat.MOV")) != kHour * ENTRIES_PER_SAMPLE) {
        state.SkipWithError("the recording did not read as one hour");
        return;
    }
    const ExportPart part{"icat.MOV", &table, std::int64_t{1718093700} * 1000};
    size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream out;
        if (csv) {
            WriteCsvHeader(out);
            WriteCsvRows(out, part);
        } else {
            WriteGpxHeader(out, "bench");
            WriteGpxTrackBegin(out, part.name);
            WriteGpxSegment(out, part);
            WriteGpxTrackEnd(out);
            WriteGpxFooter(out);
        }
        bytes = out.str().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetItemsProcessed(state.iterations() * kHour);
}
BENCHMARK_CAPTURE(ExportHour, gpx, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ExportHour, csv, true)->Unit(benchmark::kMillisecond);

// Grouping a card of one-minute recordings into trips, headers read from disk.
void GroupFolderIntoTrips(benchmark::State& state)
{
    const std::vector<std::string>& folder = Files().Folder();
    for (auto _ : state) {
        std::vector<RecordingClock> clocks;
        clocks.reserve(folder.size());
        for (const std::string& path : folder)
            clocks.push_back(ReadRecordingClock(path));
        benchmark::DoNotOptimize(TripPlan(clocks).Trips().size());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(folder.size()));
}
BENCHMARK(GroupFolderIntoTrips)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (const int status = TakeBenchmarkArgs(&argc, argv, "usage: bench_telemetry [benchmark options]\n"); status >= 0) {
        return status;
    }
    return RunBenchmarks();
}
