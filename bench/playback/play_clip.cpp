// Plays one recording through the engine and the video widget, as the player does, or
// the channels of one moment side by side through the moment engine, and reports what
// reached the screen, the CPU the process used and how long the open took. On X11 the
// frames are the overlay sink's (given to it, drawn by it); elsewhere the widget's
// mailbox's (posted, painted).
//   play_clip FILE... [width height]
#include "playback/moment_engine.h"
#include "playback/playback_engine.h"
#include "playback/video_widget.h"
#include "tests/playback/side_by_side_channels.h"
#include "tools/program_args/program_args.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](timeval t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

bool isNumber(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// What plays: one file in one widget, or several as one moment, all starting together.
struct Player
{
    std::unique_ptr<MediaEngine> engine;
    std::unique_ptr<QWidget> window;
    std::vector<VideoWidget*> areas;
};

Player makePlayer(size_t files)
{
    Player player;
    if (files == 1) {
        auto engine = std::make_unique<PlaybackEngine>();
        engine->setAudioSink("fakesink sync=true");
        auto area = std::make_unique<VideoWidget>();
        player.areas = {area.get()};
        player.engine = std::move(engine);
        player.window = std::move(area);
    } else {
        auto engine = std::make_unique<MomentEngine>();
        engine->setAudioSink("fakesink sync=true");
        player.engine = std::move(engine);
        player.window = std::make_unique<SideBySideChannels>();
    }
    return player;
}

PlaybackResult openAll(Player& player, const std::vector<std::string>& files)
{
    if (files.size() == 1) {
        return player.engine->open(files.front(), player.areas.front());
    }
    std::vector<ChannelSource> channels;
    for (const std::string& file : files) {
        const char label = "FRIT"[std::min<size_t>(channels.size(), 3)];
        channels.push_back({QString(QLatin1Char(label)), file, 0.0});
    }
    auto* view = static_cast<SideBySideChannels*>(player.window.get());
    const PlaybackResult result = player.engine->openChannels(channels, view);
    player.areas.clear();
    for (size_t i = 0; i < files.size(); ++i) {
        player.areas.push_back(view->channel(static_cast<int>(i)));
    }
    return result;
}

// Milliseconds from the call that opens to every channel's first frame cued at its sink,
// which shows it; negative when the open failed.
double timedOpen(Player& player, const std::vector<std::string>& files)
{
    QElapsedTimer opening;
    opening.start();
    if (!openAll(player, files)) {
        return -1.0;
    }
    QCoreApplication::processEvents();
    return opening.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    const char usage[] =
        "usage: play_clip FILE... [width height]\n"
        "Plays the file in a window of that size (1280 x 720), or the files as the channels\n"
        "of one moment side by side in it, and reports the open time, the frames and CPU.\n";
    const ProgramArgs args = parseProgramArgs(argc, argv, usage, {1});
    if (args.exitStatus) {
        return *args.exitStatus;
    }
    std::vector<std::string> files = args.operands;
    int width = 1280;
    int height = 720;
    if (files.size() >= 3 && isNumber(files.back()) && isNumber(files[files.size() - 2])) {
        height = std::atoi(files.back().c_str());
        width = std::atoi(files[files.size() - 2].c_str());
        files.resize(files.size() - 2);
    } else if (files.size() >= 2 && isNumber(files.back())) {
        std::fprintf(stderr, "play_clip: a width needs its height\n");
        return 2;
    }
    QApplication app(argc, argv);
    Player player = makePlayer(files.size());
    MediaEngine& engine = *player.engine;
    player.window->resize(width, height);
    player.window->show();

    // The run ends at the end of the stream, once the paints already asked for are done.
    QObject::connect(&engine, &MediaEngine::endReached, &app,
                     [] { QTimer::singleShot(200, qApp, &QCoreApplication::quit); });
    // The first open of a process loads GStreamer's plugins; the second is the one a user
    // meets at every later double-click.
    const double coldMs = timedOpen(player, files);
    player.engine->close();
    const double openMs = timedOpen(player, files);
    if (coldMs < 0 || openMs < 0) {
        std::fprintf(stderr, "play_clip: cannot open %s\n", files.front().c_str());
        return 1;
    }
    const double duration = engine.duration();
    // Frames counted from here on are the ones played, not the cued first frames. The
    // rewind at the end of the stream starts the sinks' counts afresh: the last counts
    // read while playing are the run's (read every 100 ms, a few frames short).
    std::vector<VideoWidget::FrameCounts> cued;
    for (VideoWidget* area : player.areas) {
        cued.push_back(area->frameCounts());
    }
    std::vector<VideoWidget::FrameCounts> counts = cued;
    QTimer countReader;
    countReader.callOnTimeout([&] {
        if (engine.state() == PlayState::Running) {
            for (size_t i = 0; i < player.areas.size(); ++i) {
                counts[i] = player.areas[i]->frameCounts();
            }
        }
    });
    countReader.start(100);
    QElapsedTimer wall;
    wall.start();
    engine.togglePlay();
    app.exec();

    std::printf("duration %.2f s, wall %.2f s, cpu %.2f s, open %.0f ms, first open %.0f ms, "
                "frames",
                duration, wall.elapsed() / 1000.0, cpuSeconds(), openMs, coldMs);
    for (size_t i = 0; i < counts.size(); ++i) {
        std::printf(" [%zu] presented %llu painted %llu", i + 1,
                    static_cast<unsigned long long>(counts[i].presented - cued[i].presented),
                    static_cast<unsigned long long>(counts[i].painted - cued[i].painted));
    }
    std::printf("\n");
    engine.close();
    return 0;
}
