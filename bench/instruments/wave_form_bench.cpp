// Waveform repaint costs while a recording plays: the ten-times-a-second overlay repaint
// over the cached layer, and the layer rebuild after Reload or ToggleMode.
#include "sample_drive.h"
#include "wave_form_ctrl.h"

#include "benchmark_args.h"
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWindow>

namespace {

constexpr int kHourSeconds = 3600;

// The player's own control (677 x 161), shown on the offscreen screen so that repaint()
// paints into the backing store and flushes like on a desktop.
struct ShownWaveform {
    explicit ShownWaveform(int seconds)
    {
        FillSampleDrive(table, seconds);
        wave.resize(677, 161);
        wave.SetSource(&table);
        wave.SetDuration(seconds);
        wave.Reload();
        wave.show();
        // The offscreen screen exposes the window from its event loop.
        for (int round = 0; round < 100 && !IsExposed(); ++round)
            QApplication::processEvents();
        wave.repaint();
    }
    bool IsExposed() const { return wave.windowHandle() && wave.windowHandle()->isExposed(); }

    CAssistInfoReader table;
    CWaveFormCtrl wave;
};

void BM_OverlayRepaint(benchmark::State& state)
{
    ShownWaveform shown(kHourSeconds);
    const int entries = shown.wave.GetEntryCount();
    int cursor = 0;
    for (auto _ : state) {
        cursor = (cursor + 1) % entries;
        shown.wave.SetCursor(cursor);
        shown.wave.SetElapsed(cursor / 10);
        shown.wave.repaint();
    }
    if (shown.wave.IsLayerStale())
        state.SkipWithError("layer was not built");
}
BENCHMARK(BM_OverlayRepaint)->Unit(benchmark::kMicrosecond);

// Argument: seconds of recording. 600 s is the densest chart (6000 entries, step 1).
void BM_LayerRebuild(benchmark::State& state)
{
    ShownWaveform shown(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        shown.wave.Reload();
        shown.wave.repaint();
    }
    if (shown.wave.IsLayerStale())
        state.SkipWithError("layer was not rebuilt");
}
BENCHMARK(BM_LayerRebuild)->Arg(kHourSeconds)->Arg(600)->Unit(benchmark::kMillisecond);

void BM_LayerRebuildSpeedView(benchmark::State& state)
{
    ShownWaveform shown(kHourSeconds);
    shown.wave.ToggleMode();
    for (auto _ : state) {
        shown.wave.Reload();
        shown.wave.repaint();
    }
    if (shown.wave.IsLayerStale())
        state.SkipWithError("layer was not rebuilt");
}
BENCHMARK(BM_LayerRebuildSpeedView)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (const int status = TakeBenchmarkArgs(&argc, argv, "usage: bench_instruments [benchmark options]\n"); status >= 0)
        return status;
    return RunBenchmarks();
}
