// Memory and descriptors over many recordings: opens, plays briefly and closes the
// same 2 s recording through one engine, as cycle mode does, and reports the
// process's resident memory and open descriptors after the 10th and the last cycle,
// and at the end the memory still resident once the allocator has handed back
// what it keeps for its threads (malloc_trim): what a leak would show in.
//   bench_open_cycles [benchmark options]   (QT_QPA_PLATFORM=offscreen)
#include "playback/allocator_arenas.h"
#include "playback/playback_engine.h"
#include "playback/video_widget.h"
#include "tests/playback/media_fixtures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <cstdio>

#include <malloc.h>

namespace {

constexpr int kCycles = 500;
constexpr int kEarly = 10;

double residentMiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
        }
    }
    return -1;
}

double openDescriptors()
{
    return QDir("/proc/self/fd")
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

void spin(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

void BM_OpenPlayCloseCycles(benchmark::State& state)
{
    const QString path = media::videoWithAudio();
    PlaybackEngine engine;
    engine.setAudioSink("fakesink sync=true");
    VideoWidget area;
    area.resize(320, 240);
    int cycle = 0;
    for (auto _ : state) {
        if (!engine.open(path, &area)) {
            state.SkipWithError("open failed");
            break;
        }
        engine.togglePlay();
        spin(100);
        engine.close();
        if (++cycle == kEarly || cycle % 100 == 0) {
            spin(200);  // the last pipeline stops on a worker
            const double resident = residentMiB();
            const double descriptors = openDescriptors();
            std::fprintf(stderr, "after %3d cycles: RSS %.1f MiB, %g descriptors\n", cycle,
                         resident, descriptors);
            const std::string suffix = cycle == kEarly ? "_10" : "_last";
            state.counters["rss_MiB" + suffix] = resident;
            state.counters["fds" + suffix] = descriptors;
        }
    }
    state.counters["rss_growth_MiB"] =
        state.counters["rss_MiB_last"].value - state.counters["rss_MiB_10"].value;
    malloc_trim(0);
    state.counters["rss_MiB_last_trimmed"] = residentMiB();
}
BENCHMARK(BM_OpenPlayCloseCycles)->Iterations(kCycles)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    tuneAllocator();  // as the player does
    gst_init(&argc, &argv);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
