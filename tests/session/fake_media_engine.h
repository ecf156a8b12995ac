#pragma once

#include <QString>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "playback/media_engine.h"

// An engine on virtual time: nothing plays until the test calls advance(). What a file
// does (its length, a refused open, a break part-way) is set by its file name.
class FakeMediaEngine : public MediaEngine
{
public:
    struct Script
    {
        double duration = 2.0;
        QString refusal;               // non-empty: open fails with this reason
        std::optional<double> breaks;  // play fails when it gets here
    };

    // Keyed by the file's name without its folder; any other file plays for 2 s.
    std::map<std::string, Script> scripts;
    std::vector<std::string> opened;                         // every open asked for, in order
    std::vector<std::vector<ChannelSource>> openedChannels;  // every moment asked for, in order
    struct Capture
    {
        QString file;
        const SnapshotTags* tags = nullptr;
        PlayState state = PlayState::Closed;  // the state while the frame was taken
    };
    std::vector<Capture> captures;
    bool fullScreen = false;

    // Plays on by `seconds` when running: to a break, or to the end (rewound, Stopped).
    void advance(double seconds)
    {
        if (m_state != PlayState::Running) {
            return;
        }
        const Script& script = scriptOf(m_path);
        m_position += seconds;
        if (script.breaks && m_position >= *script.breaks) {
            m_position = *script.breaks;
            setState(PlayState::Stopped);
            emit failed(QStringLiteral("decoding broke off"));
        } else if (m_position >= script.duration) {
            m_position = 0.0;
            setState(PlayState::Stopped);
            emit endReached();
        }
    }

    PlaybackResult open(const std::string& path, VideoOutput*) override
    {
        opened.push_back(path);
        close();
        const Script& script = scriptOf(path);
        if (!script.refusal.isEmpty()) {
            return {PlaybackError::UnsupportedStream, script.refusal};
        }
        m_path = path;
        m_volume = 10;
        setState(PlayState::Paused);
        return {};
    }
    // The moment's first channel plays; the others are only recorded.
    PlaybackResult openChannels(const std::vector<ChannelSource>& channels,
                                VideoOutput* video) override
    {
        openedChannels.push_back(channels);
        return open(channels.empty() ? std::string() : channels.front().path, video);
    }
    void close() override
    {
        m_path.clear();
        m_position = 0.0;
        m_volume = 0;
        setState(PlayState::Closed);
    }
    PlaybackResult togglePlay() override
    {
        if (m_state != PlayState::Closed) {
            setState(m_state == PlayState::Running ? PlayState::Paused : PlayState::Running);
        }
        return {};
    }
    PlaybackResult pause() override
    {
        if (m_state == PlayState::Running) {
            setState(PlayState::Paused);
        }
        return {};
    }
    PlaybackResult stop() override
    {
        if (m_state != PlayState::Closed) {
            m_position = 0.0;
            setState(PlayState::Stopped);
        }
        return {};
    }
    PlayState state() const override { return m_state; }
    double position() const override { return m_position; }
    PlaybackResult setPosition(double seconds) override
    {
        if (m_state != PlayState::Closed) {
            m_position = seconds;
        }
        return {};
    }
    double duration() const override
    {
        return m_state == PlayState::Closed ? 0.0 : scriptOf(m_path).duration;
    }
    int volumeLevel() const override { return m_volume; }
    void setVolumeLevel(int level) override
    {
        if (m_state != PlayState::Closed && level >= 0 && level <= 10) {
            m_volume = level;
        }
    }
    void setFullScreen(bool on) override { fullScreen = on; }
    bool captureFrame(const QString& fileName, const SnapshotTags* tags) override
    {
        captures.push_back({fileName, tags, m_state});
        return m_state != PlayState::Closed;
    }
    const std::string& filePath() const override { return m_path; }

private:
    const Script& scriptOf(const std::string& path) const
    {
        static const Script plain;
        const auto slash = path.rfind('/');
        const auto found = scripts.find(slash == std::string::npos ? path : path.substr(slash + 1));
        return found == scripts.end() ? plain : found->second;
    }
    void setState(PlayState state)
    {
        if (state != m_state) {
            m_state = state;
            emit stateChanged(state);
        }
    }

    std::string m_path;
    PlayState m_state = PlayState::Closed;
    double m_position = 0.0;
    int m_volume = 0;
};
