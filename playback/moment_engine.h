#pragma once

#include "playback/media_engine.h"
#include "playback/playback_result.h"

#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ChannelOutputs;
class PlaybackEngine;
class VideoWidget;

// Plays the channels of one moment as one recording: one playbin per channel, all on the
// system clock with base times set here, so that play, pause, seek and the end move them
// together. A channel whose file starts later shows black with a note until its start; one
// that is shorter, damaged or missing keeps its last picture (or black) and a note, and the
// moment goes on to the end of its longest channel. Sound comes from the first channel that
// has any. A single channel, or any output but ChannelOutputs, plays through one
// PlaybackEngine exactly as that plays a recording.
class MomentEngine : public MediaEngine
{
    Q_OBJECT

public:
    explicit MomentEngine(QObject* parent = nullptr);
    ~MomentEngine() override;

    // As PlaybackEngine::setAudioSink, for the channel that plays sound.
    void setAudioSink(const QString& description);

    PlaybackResult open(const std::string& path, VideoOutput* video) override;
    // Fails only when no channel opens; a channel that does not is noted on its picture.
    PlaybackResult openChannels(const std::vector<ChannelSource>& channels,
                                VideoOutput* video) override;
    void close() override;

    PlaybackResult togglePlay() override;
    PlaybackResult pause() override;
    PlaybackResult stop() override;
    PlayState state() const override;

    double position() const override;
    PlaybackResult setPosition(double seconds) override;
    double duration() const override;

    int volumeLevel() const override;
    void setVolumeLevel(int level) override;

    void setFullScreen(bool on) override;

    // With more than one channel shown, one JPEG per shown channel that has a picture,
    // named with its label before the suffix (snap_F.jpg, snap_R.jpg); true only when
    // every one was written.
    bool captureFrame(const QString& fileName, const SnapshotTags* tags = nullptr) override;

    const std::string& filePath() const override;

private:
    struct Channel
    {
        ChannelSource source;
        std::unique_ptr<PlaybackEngine> engine;  // null when the file did not open
        double length = 0.0;
        bool ended = false;  // its stream ended while playing
        bool playing = false;
        QString broken;  // why it stopped, or did not open
        QString note;    // as last shown
    };
    enum class Phase { Waiting, Showing, Ended, Broken };

    std::unique_ptr<PlaybackEngine> newChannelEngine(bool audio) const;
    bool isSingle() const { return m_singleOpen; }
    void releaseChannels();
    PlaybackResult openSingle(const ChannelSource& channel, VideoOutput* video);
    PlaybackResult openSeveral(const std::vector<ChannelSource>& channels, ChannelOutputs* outputs);
    void beginChannel(Channel& channel, VideoWidget* widget, bool audio);
    void finishChannel(Channel& channel, int index);
    void setBroken(Channel& channel, const PlaybackResult& why);
    void chooseSound(const std::vector<VideoWidget*>& widgets);
    void dropEngine(std::unique_ptr<PlaybackEngine>& engine);

    static bool isBroken(const Channel& channel);
    Phase phaseAt(const Channel& channel, double position) const;
    QString noteFor(const Channel& channel, Phase phase) const;
    void showPhases(double position);
    void cueAll(double position);
    double alignShownFrames(double position);
    PlaybackResult startAll();
    void pauseAll();
    void scheduleNextStart();
    bool allFinished() const;
    void onChannelEnded(int index);
    void onChannelFailed(int index, const QString& reason);
    void finishMoment();
    PlaybackEngine* audioEngine() const;
    void setState(PlayState state);
    static std::uint64_t clockNow();

    QString m_audioSink;
    // One channel: everything goes to it.
    std::unique_ptr<PlaybackEngine> m_single;
    bool m_singleOpen = false;
    // Several channels.
    std::vector<Channel> m_channels;
    ChannelOutputs* m_outputs = nullptr;
    std::string m_path;
    PlayState m_state = PlayState::Closed;
    int m_audio = -1;
    double m_duration = 0.0;
    double m_anchor = 0.0;         // the moment's position when it last started or stopped
    std::uint64_t m_baseTime = 0;  // the clock's time at m_anchor while running
    QTimer m_startTimer;           // the next waiting channel's start
};
