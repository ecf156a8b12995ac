#pragma once

#include <QObject>
#include <QString>

#include <string>
#include <vector>

#include "playback/playback_result.h"

struct SnapshotTags;

// Closed: no recording is open (nothing to play, no position, no picture).
enum class PlayState { Stopped, Paused, Running, Closed };

// Where an engine shows its pictures. The session passes it on without knowing what it is;
// each engine takes the outputs it can draw into.
class VideoOutput
{
public:
    virtual ~VideoOutput();
};

// One channel of a moment as an engine plays it.
struct ChannelSource
{
    QString label;        // "F", "R", "I", "T": shown with its picture
    std::string path;     // the file's name as the file system has it
    double offset = 0.0;  // seconds from the moment's earliest start to this file's start
};

// One recording at a time: what the play session drives. Every call comes from the GUI
// thread and every signal is emitted there.
class MediaEngine : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~MediaEngine() override;

    // Cues the file paused at 0, its picture in `video` (null: none). On failure the engine
    // is Closed and the result says why.
    virtual PlaybackResult open(const std::string& path, VideoOutput* video) = 0;
    // Cues all channels of one moment paused at 0 on one clock, the first as the main
    // picture. Positions and the duration are the moment's. The default opens the first
    // channel alone.
    virtual PlaybackResult openChannels(const std::vector<ChannelSource>& channels,
                                        VideoOutput* video);
    virtual void close() = 0;

    virtual PlaybackResult togglePlay() = 0;
    virtual PlaybackResult pause() = 0;
    virtual PlaybackResult stop() = 0;
    virtual PlayState state() const = 0;

    virtual double position() const = 0;
    virtual PlaybackResult setPosition(double seconds) = 0;
    virtual double duration() const = 0;

    // Eleven steps: 10 is full volume, each step below is 3 dB quieter.
    virtual int volumeLevel() const = 0;
    virtual void setVolumeLevel(int level) = 0;

    virtual void setFullScreen(bool on) = 0;

    // Writes the frame being shown as a JPEG, with the EXIF tags when given; false when
    // nothing was written.
    virtual bool captureFrame(const QString& fileName, const SnapshotTags* tags) = 0;

    // The open recording's path; empty when Closed.
    virtual const std::string& filePath() const = 0;

signals:
    void stateChanged(PlayState state);
    // The recording played to its end; the engine is rewound to 0 and Stopped.
    void endReached();
    // The recording broke off; the engine is Stopped where it broke, position() says
    // where, and the picture of that moment stays.
    void failed(const QString& reason);
};
