// Reading an hour of telemetry per layout, and listing recordings into the catalogue.
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/benchmark_args.h"
#include <benchmark/benchmark.h>

#include "bench/telemetry/drive.h"
#include "telemetry/g_events.h"
#include "telemetry/layout_reader.h"
#include "telemetry/recording_entry.h"
#include "telemetry/telemetry_table.h"
#include "telemetry/timed_track_layout.h"
#include "telemetry/track_export.h"
#include "telemetry/trip.h"
#include "tools/layout_writer/layout_writer.h"

namespace {

namespace lw = layout_writer;
namespace fs = std::filesystem;

constexpr int kHour = 3600;
constexpr int kFolderSize = 1000;

// The recordings of every benchmark, written once into a folder removed at exit.
class Recordings
{
public:
    Recordings()
    {
        std::string pattern = (fs::temp_directory_path() / "dashcam-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        m_root = pattern;
        writeHours();
        writeFolder();
    }
    ~Recordings()
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    std::string hour(const std::string& name) const { return (m_root / name).string(); }
    const std::vector<std::string>& folder() const { return m_folder; }

private:
    fs::path m_root;
    std::vector<std::string> m_folder;

    void writeHours()
    {
        const auto samples = driveSamples(kHour);
        bool ok = lw::writeFile(hour("hour.DAT"), lw::sidecar(samples));
        ok = ok && lw::writeFile(hour("icat.MOV"), lw::icatMovie(samples));
        ok = ok && lw::writeFile(hour("a7l.MOV"), lw::a7lMovie(samples));
        ok = ok && lw::writeFile(hour("nt-first.MOV"), lw::nt96650FirstTrackMovie(samples));
        ok = ok && lw::writeFile(hour("nt-second.MOV"), lw::nt96650SecondTrackMovie(samples));
        ok = ok && lw::writeFile(hour("gopro.MP4"), lw::goProMovie(lw::gpmfDrive(kHour)));
        if (!ok) {
            std::abort();
        }
    }

    // A card's worth of one-minute recordings, the five layouts in turn.
    void writeFolder()
    {
        const auto minute = driveSamples(60);
        const std::string goProMinute = lw::goProMovie(lw::gpmfDrive(60));
        const fs::path folder = m_root / "DCIM";
        fs::create_directories(folder / "gps");
        bool ok = true;
        for (int i = 0; i < kFolderSize; ++i) {
            const std::string base = (folder / ("REC" + std::to_string(10000 + i))).string();
            const std::string movie = base + ".MOV";
            switch (i % 5) {
            case 0:
                ok = ok && lw::writeFile(movie, lw::movieSecondShape(3600000000u + i));
                ok = ok &&
                     lw::writeFile((folder / "gps" / fs::path(base).filename()).string() + ".DAT",
                                   lw::sidecar(minute));
                break;
            case 1: ok = ok && lw::writeFile(movie, lw::icatMovie(minute)); break;
            case 2: ok = ok && lw::writeFile(movie, lw::a7lMovie(minute)); break;
            case 3: ok = ok && lw::writeFile(movie, lw::nt96650FirstTrackMovie(minute)); break;
            default: ok = ok && lw::writeFile(movie, goProMinute); break;
            }
            m_folder.push_back(movie);
        }
        if (!ok) {
            std::abort();
        }
    }
};

const Recordings& files()
{
    static const Recordings recordings;
    return recordings;
}

using Reader = std::function<int(TelemetryTable&, const std::string&)>;

Reader movie(const LayoutReader& layout)
{
    return [&layout](TelemetryTable& table, const std::string& path) {
        return readMovieFile(layout, path, table);
    };
}

int readSidecarFile(TelemetryTable& table, const std::string& path)
{
    return readSidecar(path, table).result;
}

void readHour(benchmark::State& state, Reader reader, const std::string& name)
{
    const std::string path = files().hour(name);
    TelemetryTable table;
    if (reader(table, path) != kHour * kEntriesPerSample) {
        state.SkipWithError("the recording did not read as one hour");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader(table, path));
    }
    state.SetItemsProcessed(state.iterations() * kHour);
}

BENCHMARK_CAPTURE(readHour, sidecar, readSidecarFile, "hour.DAT")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readHour, icat, movie(icatLayout()), "icat.MOV")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readHour, a7l, movie(a7lLayout()), "a7l.MOV")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readHour, nt96650_first_track, movie(nt96650Layout()), "nt-first.MOV")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readHour, nt96650_second_track, movie(nt96650Layout()), "nt-second.MOV")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readHour, gopro_gpmf, movie(goProLayout()), "gopro.MP4")
    ->Unit(benchmark::kMillisecond);

// One iteration describes one recording as the play list adds it (sidecar, layout, time).
void addFile(benchmark::State& state)
{
    const std::vector<std::string>& folder = files().folder();
    size_t next = 0;
    for (auto _ : state) {
        const std::string& path = folder[next];
        benchmark::DoNotOptimize(describeRecording(path, path.substr(path.rfind('/') + 1), ".MOV"));
        next = (next + 1) % folder.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(addFile)->Unit(benchmark::kMicrosecond);

// An hour of telemetry (one ICAT table) written as GPX or CSV into memory, as the window
// and dashcam-telemetry write it before it goes to the file.
void exportHour(benchmark::State& state, bool csv)
{
    TelemetryTable table;
    if (readMovieFile(icatLayout(), files().hour("icat.MOV"), table) != kHour * kEntriesPerSample) {
        state.SkipWithError("the recording did not read as one hour");
        return;
    }
    const ExportPart part{"icat.MOV", &table, std::int64_t{1718093700} * 1000};
    size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream out;
        if (csv) {
            writeCsvHeader(out);
            writeCsvRows(out, part);
        } else {
            writeGpxHeader(out, "bench");
            writeGpxTrackBegin(out, part.name);
            writeGpxSegment(out, part);
            writeGpxTrackEnd(out);
            writeGpxFooter(out);
        }
        bytes = out.str().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetItemsProcessed(state.iterations() * kHour);
}
BENCHMARK_CAPTURE(exportHour, gpx, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exportHour, csv, true)->Unit(benchmark::kMillisecond);

// The G-sensor's pushes found in an hour's table: one reading a second (ICAT) or ten
// (GoPro, one row per entry). Target: under 5 ms.
void detectEventsHour(benchmark::State& state, const LayoutReader& layout, const std::string& name)
{
    TelemetryTable table;
    if (readMovieFile(layout, files().hour(name), table) != kHour * kEntriesPerSample) {
        state.SkipWithError("the recording did not read as one hour");
        return;
    }
    size_t events = 0;
    for (auto _ : state) {
        events = detectGEvents(table).size();
        benchmark::DoNotOptimize(events);
    }
    state.counters["events"] = static_cast<double>(events);
    state.SetItemsProcessed(state.iterations() * kHour);
}
BENCHMARK_CAPTURE(detectEventsHour, icat, icatLayout(), "icat.MOV")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(detectEventsHour, gopro, goProLayout(), "gopro.MP4")
    ->Unit(benchmark::kMillisecond);

// Grouping a card of one-minute recordings into trips, headers read from disk.
void groupFolderIntoTrips(benchmark::State& state)
{
    const std::vector<std::string>& folder = files().folder();
    for (auto _ : state) {
        std::vector<RecordingClock> clocks;
        clocks.reserve(folder.size());
        for (const std::string& path : folder) {
            clocks.push_back(readRecordingClock(path));
        }
        benchmark::DoNotOptimize(TripPlan(clocks).trips().size());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(folder.size()));
}
BENCHMARK(groupFolderIntoTrips)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (const int status =
            takeBenchmarkArgs(&argc, argv, "usage: bench_telemetry [benchmark options]\n");
        status >= 0) {
        return status;
    }
    return runBenchmarks();
}
