// Sending a trip of 60 one-minute recordings (3600 positions) to the map page and
// having it fitted and drawn: from the C++ call until the page has run it.
//   QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 XDG_RUNTIME_DIR=... bench_map
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "map/map_view.h"

namespace {

std::vector<MapTrack> tripTracks(int recordings, int pointsEach)
{
    std::vector<MapTrack> parts(recordings);
    for (int r = 0; r < recordings; ++r) {
        for (int i = 0; i < pointsEach; ++i) {
            const int n = r * pointsEach + i;
            parts[r].push_back({52.4 + n * 0.00003, 13.4 + n * 0.00005});
        }
    }
    return parts;
}

// Returns once the page has run every call made before.
void waitForPage(QWebEnginePage* page)
{
    QEventLoop loop;
    page->runJavaScript(QStringLiteral("1"), [&](const QVariant&) { loop.quit(); });
    loop.exec();
}

void BM_SetTrip(benchmark::State& state)
{
    QLabel host;
    host.resize(333, 543);
    host.show();
    auto* map = new MapView(&host);
    QEventLoop loading;
    QObject::connect(map, &MapView::pageLoaded, &loading, &QEventLoop::quit);
    QTimer::singleShot(30000, &loading, &QEventLoop::quit);
    loading.exec();
    if (!map->isVisible()) {
        state.SkipWithError("the map page did not load");
        return;
    }
    QWebEnginePage* page = map->findChild<QWebEngineView*>()->page();
    const std::vector<MapTrack> trip = tripTracks(60, static_cast<int>(state.range(0)) / 60);
    int playing = 0;
    for (auto _ : state) {
        map->setTrip(trip, playing);
        waitForPage(page);
        playing = (playing + 7) % 60;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SetTrip)->Arg(3600)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);  // keep the benchmark's cache out of the user's
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
