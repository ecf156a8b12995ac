#pragma once

#include "graph_events.h"
#include "pipeline_teardown.h"
#include "playback_status.h"

#include <QPointer>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>
#include <string>

typedef struct _GstElement GstElement;
typedef struct _GstSample GstSample;
class FrameGate;
class VideoWidget;
struct SnapshotTags;
struct PipelineError;

// The numbers matter: the player window compares them.
enum class PlayState : int { Stopped = 0, Paused = 1, Running = 2, Init = 3 };

// What handleGraphEvents found: nothing, the end of the recording (rewound to 0),
// or an error that stopped it where it was, the picture of that moment kept.
struct GraphOutcome {
    enum class Kind { Nothing, EndOfStream, Error };
    Kind kind = Kind::Nothing;
    PlaybackStatus status = playback_status::ok;  // of the rewind, or the error's kind
    QString errorText;                             // Error: what went wrong
    double errorPosition = 0.0;                    // Error: seconds played when it came
};

// Plays one recording at a time through one GStreamer playbin whose video the
// given VideoWidget paints. All calls come from the GUI thread. When the
// pipeline ends or fails it posts a WM_GRAPHNOTIFY event to the notify target,
// which answers by calling handleGraphEvents. The engine must be closed (or
// destroyed) before the video widget and the notify target go away.
class PlaybackEngine {
public:
    PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;
    ~PlaybackEngine();

    // The audio output as a gst-launch description, for example
    // "fakesink sync=true" on a machine without sound; empty means the default.
    void setAudioSink(const QString& description) { m_audioSink = description; }

    // Builds the pipeline for the file and cues it paused at 0. Negative when the
    // file is missing, not a regular file, not a movie, has an index beyond what a
    // camera writes, or cannot be decoded; the engine is then closed (Init) and
    // errorText says why. `path` is the name's bytes as the file system has them,
    // whatever their encoding; a QString name goes through QFile::encodeName.
    PlaybackStatus open(const std::string& path, VideoWidget* videoWindow, QObject* notifyWindow);
    PlaybackStatus open(const QString& fileName, VideoWidget* videoWindow, QObject* notifyWindow);
    // Returns at once; the pipeline stops on a worker thread.
    void close();

    PlaybackStatus togglePlay();
    PlaybackStatus pause();
    PlaybackStatus stop();
    PlayState state() const { return m_state; }

    // After an error: where it stopped.
    double getPosition() const;
    PlaybackStatus setPosition(double seconds);
    double getDuration() const;

    // Index into the rate table 1, 2, 3, 8, -1, -2, -3, -8 (any other index: 1).
    PlaybackStatus setRate(int index);
    double rate() const { return m_rate; }

    // Eleven steps: 10 is full volume, each step below is 3 dB quieter.
    int getVolumeLevel() const;
    void setVolumeLevel(int level);

    void setFullScreen(bool on);

    // Writes the frame being shown as a JPEG, with the EXIF tags when given: 1 when
    // written, else 0.
    int captureFrame(const QString& fileName, const SnapshotTags* tags = nullptr);

    // Acts on the events the pipeline queued. The end of the stream rewinds to 0;
    // an error stops the pipeline where it was. Either leaves the engine Stopped.
    GraphOutcome handleGraphEvents();

    // The last error the pipeline reported (empty when none); for the owner to show.
    QString errorText() const { return m_errorText; }
    QString fileName() const;
    const std::string& filePath() const { return m_path; }

private:
    PlaybackStatus openPipeline();
    PlaybackStatus buildPipeline();
    PlaybackStatus cue();
    PlaybackStatus failedStatus();
    std::optional<QSize> nativeVideoSize() const;
    PlaybackStatus initVideoWindow();
    GstElement* makeOverlayOutput();
    void renderAgain();
    GstSample* shownFrame() const;
    void holdStillPicture();
    void releaseAll();

    PlaybackStatus changeState(int gstState);
    PlaybackStatus seek(double rate, double seconds);
    int settle(std::chrono::milliseconds bound) const;
    PlaybackStatus rewindToStart();
    GraphOutcome stopAfterError(const PipelineError& error);

    QPointer<VideoWidget> m_videoWindow;
    std::string m_path;
    QString m_audioSink;
    QString m_errorText;
    PlayState m_state = PlayState::Init;
    double m_rate = 1.0;
    double m_errorPosition = 0.0;  // reported while an error holds the pipeline stopped
    GstElement* m_playbin = nullptr;
    GstElement* m_videoSink = nullptr;  // owned by m_playbin
    bool m_overlay = false;             // m_videoSink draws into the widget's video surface
    QMetaObject::Connection m_refit;    // the surface's new size, shown while paused
    std::shared_ptr<FrameGate> m_frames;
    std::shared_ptr<GraphEventQueue> m_events = std::make_shared<GraphEventQueue>();
    PipelineTeardown m_teardown;
};
