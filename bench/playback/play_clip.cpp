// Plays one recording through the engine and the video widget, as the player
// does, and reports what reached the screen and the CPU the process used.
//   play_clip <file> [width height]
#include "graph_events.h"
#include "playback_engine.h"
#include "video_widget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

// Ends the run at the end of the stream, without rewinding (which would cue
// one more frame), once the paints already asked for are done.
class EndWatcher : public QObject {
protected:
    bool event(QEvent* event) override
    {
        if (event->type() != kGraphNotifyEvent)
            return QObject::event(event);
        QTimer::singleShot(200, qApp, &QCoreApplication::quit);
        return true;
    }
};

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
    QApplication app(argc, argv);
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: play_clip <file> [width height]\n");
        return 2;
    }
    const int width = argc == 4 ? std::atoi(argv[2]) : 1280;
    const int height = argc == 4 ? std::atoi(argv[3]) : 720;

    PlaybackEngine engine;
    engine.setAudioSink("fakesink sync=true");
    EndWatcher watcher;
    VideoWidget area;
    area.resize(width, height);
    area.show();

    if (engine.open(std::string(argv[1]), &area, &watcher) < 0) {
        std::fprintf(stderr, "play_clip: cannot open %s\n", argv[1]);
        return 1;
    }
    const double duration = engine.getDuration();
    // Frames counted from here on are the ones played, not the cued first frame.
    QCoreApplication::processEvents();
    const VideoWidget::FrameCounts cued = area.frameCounts();
    QElapsedTimer wall;
    wall.start();
    engine.togglePlay();
    app.exec();

    const VideoWidget::FrameCounts counts = area.frameCounts();
    std::printf("duration %.2f s, wall %.2f s, cpu %.2f s, frames presented %llu painted %llu\n",
                duration, wall.elapsed() / 1000.0, cpuSeconds(),
                static_cast<unsigned long long>(counts.presented - cued.presented),
                static_cast<unsigned long long>(counts.painted - cued.painted));
    engine.close();
    return 0;
}
