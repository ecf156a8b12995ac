// Costs of the player window: one display tick, and a double-click on a three-minute
// recording up to its first painted frame with the track sent to the map.
//   bench_app SAMPLE-MAKER [benchmark options]   (QT_QPA_PLATFORM=offscreen)
#include "benchmark_args.h"
#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

#include "player_dlg.h"
#include "skin_list.h"
#include "video_widget.h"

namespace {

QString g_samples;  // folder of sample recordings, made once

void Spin(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

std::unique_ptr<CPlayerDlg> MakeWindow(bool realMap)
{
    PlayerServices services = PlayerServices::Desktop();
    services.chooseFolder = [](QWidget*, const QString&) { return g_samples; };
    services.volumes = std::make_shared<CFixedVolumes>(std::vector<std::string>{});
    services.audioSink = QStringLiteral("fakesink sync=true");
    if (!realMap) {
        services.createMap = nullptr;
    }
    auto dlg = std::make_unique<CPlayerDlg>(std::move(services));
    dlg->show();
    dlg->OnImport();
    Spin(realMap ? 3000 : 100);  // the map page loads
    return dlg;
}

int RowWithLayout(CPlayerDlg& dlg, const char* layout)
{
    for (int row = 0; row < dlg.Catalogue().GetCount(); ++row) {
        tagFileNode node;
        dlg.Catalogue().GetAt(row, node);
        if (node.strFileName.find(layout) != std::string::npos) {
            return row;
        }
    }
    return 0;
}

void BM_DisplayTick(benchmark::State& state)
{
    auto dlg = MakeWindow(true);
    dlg->OnListDoubleClick(RowWithLayout(*dlg, "_ICAT."));
    dlg->OnPlay();  // paused: the tick runs, the engine stands still
    double seconds = 0;
    for (auto _ : state) {
        // A new second each time: a new map position, speed and course.
        seconds = seconds >= 170 ? 0 : seconds + 1;
        dlg->Engine().setPosition(seconds);
        QElapsedTimer clock;
        clock.start();
        dlg->displayTick();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_DisplayTick)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(150);

void BM_DoubleClickToFirstFrame(benchmark::State& state)
{
    auto dlg = MakeWindow(true);
    auto* video = dlg->findChild<VideoWidget*>();
    const int row = RowWithLayout(*dlg, "_NT96650A.");
    for (auto _ : state) {
        const quint64 before = video->frameCounts().painted;
        QElapsedTimer clock;
        clock.start();
        dlg->OnListDoubleClick(row);
        while (video->frameCounts().painted == before && clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        state.counters["track_points"] = dlg->Telemetry().GetCount();
        dlg->OnStop();
        Spin(100);
    }
}
BENCHMARK(BM_DoubleClickToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return 0;
}

long OpenDescriptors()
{
    return static_cast<long>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// What cycle mode does for hours: open a recording, play a moment, go on to the next.
// Memory and descriptors after 500 recordings against after 10 (target: within 20 MB).
void BM_CycleModeMemory(benchmark::State& state)
{
    auto dlg = MakeWindow(false);
    const int count = dlg->Catalogue().GetCount();
    const auto playSome = [&](int opens) {
        for (int i = 0; i < opens; ++i) {
            dlg->OnListDoubleClick(i % count);
            Spin(20);
        }
    };
    for (auto _ : state) {
        playSome(10);
        const long rssAfter10 = ResidentKiB();
        const long fdsAfter10 = OpenDescriptors();
        playSome(490);
        dlg->OnStop();
        Spin(200);
        state.counters["rss_after_10_MB"] = rssAfter10 / 1024.0;
        state.counters["rss_growth_MB"] = (ResidentKiB() - rssAfter10) / 1024.0;
        state.counters["fd_growth"] = static_cast<double>(OpenDescriptors() - fdsAfter10);
    }
}
BENCHMARK(BM_CycleModeMemory)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    gst_init(&argc, &argv);
    // Benchmark options (and --help) first; what is left is the sample maker's path.
    const char usage[] = "usage: bench_app SAMPLE-MAKER [benchmark options]\n";
    InitializeBenchmarks(&argc, argv, usage);
    if (argc != 2 || argv[1][0] == '-') {
        if (argc >= 2 && argv[1][0] == '-') {
            std::fprintf(stderr, "bench_app: unknown option %s\n", argv[1]);
        }
        std::fputs(usage, stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir samples;
    QProcess maker;
    maker.start(QString::fromLocal8Bit(argv[1]), {samples.path(), QStringLiteral("180"), QStringLiteral("ICAT"), QStringLiteral("NT96650A")});
    if (!maker.waitForFinished(600000) || maker.exitCode() != 0) {
        std::fprintf(stderr, "cannot make the three-minute samples\n");
        return 1;
    }
    g_samples = samples.path();
    return RunBenchmarks();
}
