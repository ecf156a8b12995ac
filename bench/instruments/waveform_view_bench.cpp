// Waveform repaint costs while a recording plays: the ten-times-a-second overlay repaint
// over the cached layer, and the layer rebuild after Reload or toggleMode.
#include "instruments/waveform_view.h"
#include "tests/instruments/sample_drive.h"

#include "bench/benchmark_args.h"
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWindow>

namespace {

constexpr int kHourSeconds = 3600;

// The player's own control (677 x 161), shown on the offscreen screen so that repaint()
// paints into the backing store and flushes like on a desktop.
struct ShownWaveform
{
    explicit ShownWaveform(int seconds)
    {
        fillSampleDrive(table, seconds);
        wave.resize(677, 161);
        wave.setSource(&table);
        wave.setDuration(seconds);
        wave.reload();
        wave.show();
        // The offscreen screen exposes the window from its event loop.
        for (int round = 0; round < 100 && !isExposed(); ++round) {
            QApplication::processEvents();
        }
        wave.repaint();
    }
    bool isExposed() const { return wave.windowHandle() && wave.windowHandle()->isExposed(); }

    TelemetryTable table;
    WaveformView wave;
};

void BM_OverlayRepaint(benchmark::State& state)
{
    ShownWaveform shown(kHourSeconds);
    const int entries = shown.wave.entryCount();
    int cursor = 0;
    for (auto _ : state) {
        cursor = (cursor + 1) % entries;
        shown.wave.setCursorEntry(cursor);
        shown.wave.setElapsed(cursor / 10);
        shown.wave.repaint();
    }
    if (shown.wave.isLayerStale()) {
        state.SkipWithError("layer was not built");
    }
}
BENCHMARK(BM_OverlayRepaint)->Unit(benchmark::kMicrosecond);

// Argument: seconds of recording. 600 s is the densest chart (6000 entries, step 1).
void BM_LayerRebuild(benchmark::State& state)
{
    ShownWaveform shown(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        shown.wave.reload();
        shown.wave.repaint();
    }
    if (shown.wave.isLayerStale()) {
        state.SkipWithError("layer was not rebuilt");
    }
}
BENCHMARK(BM_LayerRebuild)->Arg(kHourSeconds)->Arg(600)->Unit(benchmark::kMillisecond);

void BM_LayerRebuildSpeedView(benchmark::State& state)
{
    ShownWaveform shown(kHourSeconds);
    shown.wave.toggleMode();
    for (auto _ : state) {
        shown.wave.reload();
        shown.wave.repaint();
    }
    if (shown.wave.isLayerStale()) {
        state.SkipWithError("layer was not rebuilt");
    }
}
BENCHMARK(BM_LayerRebuildSpeedView)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (const int status =
            takeBenchmarkArgs(&argc, argv, "usage: bench_instruments [benchmark options]\n");
        status >= 0) {
        return status;
    }
    return runBenchmarks();
}
