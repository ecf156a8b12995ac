#pragma once

#include "graph_events.h"
#include "playback_status.h"

#include <QPointer>
#include <QSize>
#include <QString>

#include <optional>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
class VideoWidget;

// The numbers matter: the player window compares them.
enum class PlayState : int { Stopped = 0, Paused = 1, Running = 2, Init = 3 };

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

    // Builds the pipeline for `fileName` and cues it paused at 0. Negative when
    // the file is missing, not a movie, or cannot be decoded.
    PlaybackStatus open(const QString& fileName, VideoWidget* videoWindow, QObject* notifyWindow);
    void close();

    PlaybackStatus togglePlay();
    PlaybackStatus pause();
    PlaybackStatus stop();
    PlayState state() const { return m_state; }

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

    // Writes the frame being shown as a JPEG: 1 when written, else 0.
    int captureFrame(const QString& fileName);

    // Acts on the events the pipeline queued: the end of the stream, or an
    // error, rewinds to 0 and leaves the engine Stopped.
    PlaybackStatus handleGraphEvents();

    // The last error the pipeline reported (empty when none); for the owner to show.
    QString errorText() const { return m_errorText; }
    QString fileName() const { return m_fileName; }

private:
    PlaybackStatus buildPipeline();
    PlaybackStatus cue();
    PlaybackStatus failedStatus();
    std::optional<QSize> nativeVideoSize() const;
    PlaybackStatus initVideoWindow();
    void releaseAll();

    PlaybackStatus changeState(int gstState);
    PlaybackStatus seek(double rate, double seconds);
    PlaybackStatus waitForSettle() const;
    PlaybackStatus rewindToStart();
    PlaybackStatus stopAfterError(GstMessage* error);

    QPointer<VideoWidget> m_videoWindow;
    QString m_fileName;
    QString m_audioSink;
    QString m_errorText;
    PlayState m_state = PlayState::Init;
    double m_rate = 1.0;
    GstElement* m_playbin = nullptr;
    GstElement* m_videoSink = nullptr;  // owned by m_playbin
    GraphEventQueue m_events;
};
