// Plays one recording through the engine and the video widget, as the player
// does, and reports what reached the screen and the CPU the process used. On X11
// the frames are the overlay sink's (given to it, drawn by it); elsewhere the
// widget's mailbox's (posted, painted).
//   play_clip <file> [width height]
#include "playback/playback_engine.h"
#include "playback/video_widget.h"
#include "tools/program_args/program_args.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](timeval t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv)
{
    const char usage[] =
        "usage: play_clip <file> [width height]\n"
        "Plays the file in a window of that size (1280 x 720) and reports the frames and CPU.\n";
    const ProgramArgs args = parseProgramArgs(argc, argv, usage, {1, 3});
    if (args.exitStatus) {
        return *args.exitStatus;
    }
    const std::vector<std::string>& operands = args.operands;
    if (operands.size() == 2) {
        std::fprintf(stderr, "play_clip: a width needs its height\n");
        return 2;
    }
    QApplication app(argc, argv);
    const int width = operands.size() == 3 ? std::atoi(operands[1].c_str()) : 1280;
    const int height = operands.size() == 3 ? std::atoi(operands[2].c_str()) : 720;

    PlaybackEngine engine;
    engine.setAudioSink("fakesink sync=true");
    VideoWidget area;
    area.resize(width, height);
    area.show();

    // The run ends at the end of the stream, once the paints already asked for are done.
    QObject::connect(&engine, &PlaybackEngine::endReached, &app,
                     [] { QTimer::singleShot(200, qApp, &QCoreApplication::quit); });
    if (!engine.open(operands[0], &area)) {
        std::fprintf(stderr, "play_clip: cannot open %s\n", operands[0].c_str());
        return 1;
    }
    const double duration = engine.duration();
    // Frames counted from here on are the ones played, not the cued first frame.
    QCoreApplication::processEvents();
    const VideoWidget::FrameCounts cued = area.frameCounts();
    // The rewind at the end of the stream starts the sink's counts afresh: the last
    // counts read while playing are the run's (read every 100 ms, a few frames short).
    VideoWidget::FrameCounts counts = cued;
    QTimer countReader;
    countReader.callOnTimeout([&] {
        if (engine.state() == PlayState::Running) {
            counts = area.frameCounts();
        }
    });
    countReader.start(100);
    QElapsedTimer wall;
    wall.start();
    engine.togglePlay();
    app.exec();

    std::printf("duration %.2f s, wall %.2f s, cpu %.2f s, frames presented %llu painted %llu\n",
                duration, wall.elapsed() / 1000.0, cpuSeconds(),
                static_cast<unsigned long long>(counts.presented - cued.presented),
                static_cast<unsigned long long>(counts.painted - cued.painted));
    engine.close();
    return 0;
}
