#pragma once

#include "pipeline_messages.h"
#include "pipeline_teardown.h"
#include "playback_result.h"

#include <QObject>
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

enum class PlayState { Stopped, Paused, Running, Init };

// Plays one recording at a time through one GStreamer playbin whose video the given
// VideoWidget shows. All calls come from the GUI thread, and every signal is emitted
// there: the streaming threads only queue what they saw. The engine must be closed (or
// destroyed) before the video widget goes away.
class PlaybackEngine : public QObject
{
    Q_OBJECT

public:
    explicit PlaybackEngine(QObject* parent = nullptr);
    ~PlaybackEngine() override;

    // The audio output as a gst-launch description, for example
    // "fakesink sync=true" on a machine without sound; empty means the default.
    void setAudioSink(const QString& description) { m_audioSink = description; }

    // Builds the pipeline for the file and cues it paused at 0. Fails when the file is
    // missing, not a regular file, not a movie, has an index beyond what a camera writes,
    // or cannot be decoded; the engine is then closed (Init). `path` is the name's bytes
    // as the file system has them, whatever their encoding; a QString name goes through
    // QFile::encodeName.
    PlaybackResult open(const std::string& path, VideoWidget* videoWindow);
    PlaybackResult open(const QString& fileName, VideoWidget* videoWindow);
    // Returns at once; the pipeline stops on a worker thread.
    void close();

    PlaybackResult togglePlay();
    PlaybackResult pause();
    PlaybackResult stop();
    PlayState state() const { return m_state; }

    // After an error: where it stopped.
    double position() const;
    PlaybackResult setPosition(double seconds);
    double duration() const;

    // Index into the rate table 1, 2, 3, 8, -1, -2, -3, -8 (any other index: 1).
    PlaybackResult setRate(int index);
    double rate() const { return m_rate; }

    // Eleven steps: 10 is full volume, each step below is 3 dB quieter.
    int volumeLevel() const;
    void setVolumeLevel(int level);

    void setFullScreen(bool on);

    // Writes the frame being shown as a JPEG, with the EXIF tags when given; false when
    // nothing was written.
    bool captureFrame(const QString& fileName, const SnapshotTags* tags = nullptr);

    QString fileName() const;
    const std::string& filePath() const { return m_path; }

signals:
    void stateChanged(PlayState state);
    // The recording played to its end; the engine is rewound to 0 and Stopped.
    void endReached();
    // The recording broke off; the engine is Stopped where it broke, position() says
    // where, and the picture of that moment stays.
    void failed(const QString& reason);

private:
    PlaybackResult openPipeline();
    PlaybackResult buildPipeline();
    PlaybackResult cue();
    PlaybackResult failedStatus();
    std::optional<QSize> nativeVideoSize() const;
    PlaybackResult initVideoWindow();
    GstElement* makeOverlayOutput();
    void renderAgain();
    GstSample* shownFrame() const;
    void holdStillPicture();
    void releaseAll();

    PlaybackResult changeState(int gstState);
    PlaybackResult seek(double rate, double seconds);
    int settle(std::chrono::milliseconds bound) const;
    PlaybackResult rewindToStart();
    void stopAfterError(const PlaybackResult& error);
    void takePipelineMessages();
    void setState(PlayState state);

    QPointer<VideoWidget> m_videoWindow;
    std::string m_path;
    QString m_audioSink;
    PlayState m_state = PlayState::Init;
    double m_rate = 1.0;
    double m_errorPosition = 0.0;  // reported while an error holds the pipeline stopped
    GstElement* m_playbin = nullptr;
    GstElement* m_videoSink = nullptr;  // owned by m_playbin
    bool m_overlay = false;             // m_videoSink draws into the widget's video surface
    QMetaObject::Connection m_refit;    // the surface's new size, shown while paused
    std::shared_ptr<FrameGate> m_frames;
    std::shared_ptr<PipelineMessageQueue> m_events = std::make_shared<PipelineMessageQueue>();
    PipelineTeardown m_teardown;
};
