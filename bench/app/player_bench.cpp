// Costs of the player window: one display tick, and a double-click on a three-minute
// recording up to its first painted frame with the track sent to the map; the same
// double-click on one recording alone and inside a trip of 60 one-minute recordings.
//   bench_app SAMPLE-MAKER [benchmark options]   (QT_QPA_PLATFORM=offscreen)
#include "bench/benchmark_args.h"
#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

#include "app/player_window.h"
#include "controls/playlist_view.h"
#include "playback/allocator_arenas.h"
#include "playback/video_widget.h"
#include "session/trip_index.h"

namespace {

QString g_samples;  // folder of sample recordings, made once
QString g_single;   // one one-minute ICAT recording
QString g_trip;     // 60 copies of it, a minute apart: one trip of 3600 positions

constexpr int kTripRecordings = 60;
constexpr qint64 kMorning1904 = 2082844800LL + 1718093700LL;  // 2024-06-11 08:15:00 UTC

void spin(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

std::unique_ptr<PlayerWindow> makeWindow(bool realMap, const QString& folder = g_samples)
{
    PlayerServices services = PlayerServices::desktop();
    services.chooseFolder = [folder](QWidget*, const QString&) { return folder; };
    services.volumes = std::make_shared<FixedVolumes>(std::vector<std::string>{});
    services.audioSink = QStringLiteral("fakesink sync=true");
    if (!realMap) {
        services.createMap = nullptr;
    }
    auto dlg = std::make_unique<PlayerWindow>(std::move(services));
    dlg->show();
    dlg->onImport();
    spin(realMap ? 3000 : 100);  // the map page loads
    return dlg;
}

int rowWithLayout(PlayerWindow& dlg, const char* layout)
{
    for (int row = 0; row < dlg.session().catalogue().count(); ++row) {
        RecordingEntry node;
        dlg.session().catalogue().entryAt(row, node);
        if (node.displayName.find(layout) != std::string::npos) {
            return row;
        }
    }
    return 0;
}

void BM_DisplayTick(benchmark::State& state)
{
    auto dlg = makeWindow(true);
    dlg->onListDoubleClick(rowWithLayout(*dlg, "_ICAT."));
    dlg->onPlay();  // paused: the tick runs, the engine stands still
    double seconds = 0;
    for (auto _ : state) {
        // A new second each time: a new map position, speed and course.
        seconds = seconds >= 170 ? 0 : seconds + 1;
        dlg->session().seekTo(seconds);
        QElapsedTimer clock;
        clock.start();
        dlg->session().displayTick();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_DisplayTick)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(150);

void BM_DoubleClickToFirstFrame(benchmark::State& state)
{
    auto dlg = makeWindow(true);
    auto* video = dlg->findChild<VideoWidget*>();
    const int row = rowWithLayout(*dlg, "_NT96650A.");
    for (auto _ : state) {
        const quint64 before = video->frameCounts().painted;
        QElapsedTimer clock;
        clock.start();
        dlg->onListDoubleClick(row);
        while (video->frameCounts().painted == before && clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        state.counters["track_points"] = dlg->session().telemetry().count();
        dlg->onStop();
        spin(100);
    }
}
BENCHMARK(BM_DoubleClickToFirstFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

long residentKiB()
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

long openDescriptors()
{
    return static_cast<long>(QDir(QStringLiteral("/proc/self/fd"))
                                 .entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
                                 .size());
}

// Pipelines stop on GStreamer's worker threads; each reading waits for the last to go.
constexpr int kSettleMs = 3000;

// What cycle mode does for hours: open a recording, play a moment, go on to the next.
// Memory and descriptors after 250, 500 and 1000 recordings against after 10 (target:
// within 20 MB, and no growth from 500 to 1000).
void BM_CycleModeMemory(benchmark::State& state)
{
    auto dlg = makeWindow(false);
    const int count = dlg->session().catalogue().count();
    int opened = 0;
    const auto playUntil = [&](int opens) {
        for (; opened < opens; ++opened) {
            dlg->onListDoubleClick(opened % count);
            spin(20);
        }
        spin(kSettleMs);
    };
    for (auto _ : state) {
        playUntil(10);
        const long rssAfter10 = residentKiB();
        const long fdsAfter10 = openDescriptors();
        for (const int checkpoint : {250, 500, 1000}) {
            playUntil(checkpoint);
            state.counters["rss_growth_" + std::to_string(checkpoint) + "_MB"] =
                (residentKiB() - rssAfter10) / 1024.0;
        }
        dlg->onStop();
        state.counters["rss_after_10_MB"] = rssAfter10 / 1024.0;
        state.counters["fd_growth"] = static_cast<double>(openDescriptors() - fdsAfter10);
    }
}
BENCHMARK(BM_CycleModeMemory)->Unit(benchmark::kSecond)->Iterations(1);

// The middle recording of the folder; a fresh window each time, so the trip's other
// recordings are read (nothing cached) on every measured double-click.
void doubleClickInFolder(benchmark::State& state, const QString* folder)
{
    for (auto _ : state) {
        auto dlg = makeWindow(true, *folder);
        auto* video = dlg->findChild<VideoWidget*>();
        const int row = dlg->session().catalogue().count() / 2;
        QElapsedTimer clock;
        clock.start();
        dlg->onListDoubleClick(row);
        while (video->frameCounts().painted == 0 && clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        state.counters["recordings"] = dlg->session().catalogue().count();
        state.counters["trip_parts"] =
            static_cast<double>(dlg->session().trips().plan().tripRows(row).size());
        dlg->onStop();
        spin(100);
    }
}
BENCHMARK_CAPTURE(doubleClickInFolder, one_recording, &g_single)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6);
BENCHMARK_CAPTURE(doubleClickInFolder, trip_of_60, &g_trip)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6);

// The window's own share of opening a recording of the trip of 60, nothing cached: the
// headers grouped, every recording's telemetry read and digested, the parts made into
// the page's JSON (the page's fitting and drawing is bench_map's BM_SetTrip).
void tripPartsCold(benchmark::State& state)
{
    PlaylistCatalogue list;
    for (const QString& name : QDir(g_trip).entryList(QDir::Files, QDir::Name)) {
        list.addFile(QDir(g_trip).filePath(name).toStdString(), name.toStdString(), ".MOV");
    }
    size_t points = 0;
    for (auto _ : state) {
        TripIndex trips;
        trips.update(list);
        QJsonArray parts;
        points = 0;
        RecordingEntry node;
        for (const int row : trips.plan().tripRows(list.count() / 2)) {
            list.entryAt(row, node);
            MapTrack track;
            for (const GeoPoint& p : trips.digest(node).positions) {
                track.push_back({p.latitude, p.longitude});
            }
            points += track.size();
            parts.append(trackToJson(track));
        }
        benchmark::DoNotOptimize(parts.size());
    }
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(tripPartsCold)->Unit(benchmark::kMillisecond);

// Copies the movie under a camera name, its header's creation time set to start.
bool copyWithStart(const QString& from, const QString& folder, qint64 start1904)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    QByteArray bytes = in.readAll();
    const qsizetype mvhd = bytes.indexOf("mvhd");
    if (mvhd < 4 || mvhd + 12 > bytes.size()) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        bytes[mvhd + 8 + i] =
            static_cast<char>(start1904 >> (24 - 8 * i));  // after version and flags
    }
    const qint64 utc = start1904 - 2082844800LL;
    const QString name = QStringLiteral("20240611_%1%2%3_ICAT.MOV")
                             .arg(utc / 3600 % 24, 2, 10, QLatin1Char('0'))
                             .arg(utc / 60 % 60, 2, 10, QLatin1Char('0'))
                             .arg(utc % 60, 2, 10, QLatin1Char('0'));
    QFile out(QDir(folder).filePath(name));
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

bool makeTripFolders(const QString& maker, const QString& root)
{
    QDir(root).mkpath(QStringLiteral("minute"));
    QDir(root).mkpath(QStringLiteral("single"));
    QDir(root).mkpath(QStringLiteral("trip"));
    QProcess make;
    make.start(maker, {QDir(root).filePath(QStringLiteral("minute")), QStringLiteral("60"),
                       QStringLiteral("ICAT")});
    if (!make.waitForFinished(600000) || make.exitCode() != 0) {
        return false;
    }
    const QString minute = QDir(root).filePath(QStringLiteral("minute/20240611_081500_ICAT.MOV"));
    g_single = QDir(root).filePath(QStringLiteral("single"));
    g_trip = QDir(root).filePath(QStringLiteral("trip"));
    bool ok = copyWithStart(minute, g_single, kMorning1904);
    for (int i = 0; ok && i < kTripRecordings; ++i) {
        ok = copyWithStart(minute, g_trip, kMorning1904 + 60 * i);
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    tuneAllocator();  // as the player does
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    gst_init(&argc, &argv);
    // Benchmark options (and --help) first; what is left is the sample maker's path.
    const char usage[] = "usage: bench_app SAMPLE-MAKER [benchmark options]\n";
    initializeBenchmarks(&argc, argv, usage);
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
    maker.start(QString::fromLocal8Bit(argv[1]),
                {samples.path(), QStringLiteral("180"), QStringLiteral("ICAT"),
                 QStringLiteral("NT96650A")});
    if (!maker.waitForFinished(600000) || maker.exitCode() != 0) {
        std::fprintf(stderr, "cannot make the three-minute samples\n");
        return 1;
    }
    g_samples = samples.path();
    QTemporaryDir tripRoot;
    if (!makeTripFolders(QString::fromLocal8Bit(argv[1]), tripRoot.path())) {
        std::fprintf(stderr, "cannot make the trip of one-minute recordings\n");
        return 1;
    }
    return runBenchmarks();
}
