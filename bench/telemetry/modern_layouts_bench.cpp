// Decoding an hour of the freeGPS and NMEA-in-a-box layouts, and their detection on a
// movie of neither layout.
#include <unistd.h>

#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "telemetry/freegps_reader.h"
#include "telemetry/nmea_box_reader.h"
#include "tools/layout_writer/layout_writer.h"

namespace {

namespace lw = layout_writer;
namespace fs = std::filesystem;

constexpr int kHour = 3600;
constexpr size_t kPlainMediaSize = 4 * 1024 * 1024;

// The recordings, written once into a folder removed at exit.
class Recordings
{
public:
    Recordings()
        : m_root(fs::temp_directory_path() / ("dashcam-modern-bench-" + std::to_string(::getpid())))
    {
        fs::create_directories(m_root);
        const auto hour = lw::gpsDrive(kHour);
        bool ok = lw::writeFile(path("nmea-box.MP4"), lw::nmeaBoxMovie(hour));
        ok = ok &&
             lw::writeFile(path("plain.MP4"),
                           lw::movieFirstShape(3600000000u, std::string(kPlainMediaSize, 'v')));
        for (auto record :
             {lw::FreeGpsRecord::Common, lw::FreeGpsRecord::Early, lw::FreeGpsRecord::Sentences}) {
            lw::FreeGpsOptions options;
            options.record = record;
            ok = ok &&
                 lw::writeFile(path("freegps-" + std::to_string(static_cast<int>(record)) + ".MP4"),
                               lw::freeGpsMovie(hour, options));
        }
        lw::FreeGpsOptions scanned;
        scanned.index = false;
        ok = ok && lw::writeFile(path("freegps-scanned.MP4"), lw::freeGpsMovie(hour, scanned));
        if (!ok) {
            std::abort();
        }
    }
    ~Recordings()
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    std::string path(const std::string& name) const { return (m_root / name).string(); }

private:
    fs::path m_root;
};

const Recordings& files()
{
    static const Recordings recordings;
    return recordings;
}

using Decoder = std::optional<TimedTrack> (*)(BinaryFile&, std::string&);

// One iteration opens the file and decodes the hour, as the player does.
void decodeHour(benchmark::State& state, Decoder decode, const std::string& name)
{
    const std::string path = files().path(name);
    std::string reason;
    {
        BinaryFile file;
        const auto track = file.open(path) ? decode(file, reason) : std::nullopt;
        if (!track || track->fixes.size() != kHour) {
            state.SkipWithError(("the recording did not decode as one hour: " + reason).c_str());
            return;
        }
    }
    for (auto _ : state) {
        BinaryFile file;
        file.open(path);
        benchmark::DoNotOptimize(decode(file, reason));
    }
    state.SetItemsProcessed(state.iterations() * kHour);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(path)));
}

BENCHMARK_CAPTURE(decodeHour, freegps_common, &decodeFreeGps, "freegps-0.MP4")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeHour, freegps_early, &decodeFreeGps, "freegps-1.MP4")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeHour, freegps_sentences, &decodeFreeGps, "freegps-2.MP4")
    ->Unit(benchmark::kMillisecond);
// Without an index every byte of the media data is searched: linear in the file's size.
BENCHMARK_CAPTURE(decodeHour, freegps_scanned_118MB, &decodeFreeGps, "freegps-scanned.MP4")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeHour, nmea_box, &decodeNmeaBox, "nmea-box.MP4")
    ->Unit(benchmark::kMillisecond);

// What listing a recording of neither layout costs: open plus both detections.
void detectOnPlainMovie(benchmark::State& state)
{
    const std::string path = files().path("plain.MP4");
    for (auto _ : state) {
        BinaryFile file;
        file.open(path);
        benchmark::DoNotOptimize(detectFreeGps(file));
        benchmark::DoNotOptimize(detectNmeaBox(file));
    }
}
BENCHMARK(detectOnPlainMovie)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
