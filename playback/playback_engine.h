#pragma once

#include "playback/media_engine.h"
#include "playback/pipeline_messages.h"
#include "playback/pipeline_teardown.h"
#include "playback/playback_result.h"

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
class ChannelOutputs;

// Plays one recording at a time through one GStreamer playbin whose video the given
// VideoWidget shows, or the one channel of the given ChannelOutputs (any other output is
// refused). The streaming threads only queue what
// they saw; the GUI thread acts on it. The engine must be closed (or destroyed) before the
// video widget goes away.
class PlaybackEngine : public MediaEngine
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
    // or cannot be decoded, or the output is no VideoWidget; the engine is then Closed.
    // `path` is the name's bytes as the file system has them, whatever their encoding; a
    // QString name goes through QFile::encodeName.
    PlaybackResult open(const std::string& path, VideoOutput* video) override;
    PlaybackResult open(const QString& fileName, VideoWidget* videoWindow);
    // Returns at once; the pipeline stops on a worker thread.
    void close() override;

    PlaybackResult togglePlay() override;
    PlaybackResult pause() override;
    PlaybackResult stop() override;
    PlayState state() const override { return m_state; }

    // After an error: where it stopped.
    double position() const override;
    PlaybackResult setPosition(double seconds) override;
    double duration() const override;

    int volumeLevel() const override;
    void setVolumeLevel(int level) override;

    void setFullScreen(bool on) override;

    bool captureFrame(const QString& fileName, const SnapshotTags* tags = nullptr) override;

    QString fileName() const;
    const std::string& filePath() const override { return m_path; }

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
    void showFullScreen(bool on);

    PlaybackResult changeState(int gstState);
    PlaybackResult seek(double seconds);
    int settle(std::chrono::milliseconds bound) const;
    PlaybackResult rewindToStart();
    void stopAfterError(const PlaybackResult& error);
    void takePipelineMessages();
    void setState(PlayState state);

    QPointer<VideoWidget> m_videoWindow;
    ChannelOutputs* m_channels = nullptr;  // the view m_videoWindow belongs to, if any
    std::string m_path;
    QString m_audioSink;
    PlayState m_state = PlayState::Closed;
    double m_errorPosition = 0.0;  // reported while an error holds the pipeline stopped
    GstElement* m_playbin = nullptr;
    GstElement* m_videoSink = nullptr;  // owned by m_playbin
    bool m_overlay = false;             // m_videoSink draws into the widget's video surface
    QMetaObject::Connection m_refit;    // the surface's new size, shown while paused
    std::shared_ptr<FrameGate> m_frames;
    std::shared_ptr<PipelineMessageQueue> m_events = std::make_shared<PipelineMessageQueue>();
    PipelineTeardown m_teardown;
};
