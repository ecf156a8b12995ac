#pragma once

#include "playback/channel_outputs.h"

#include <QWidget>

#include <vector>

// The simplest view of a moment's channels: one video widget per channel side by side,
// every one shown, the notes kept for the caller to read.
class SideBySideChannels : public QWidget, public ChannelOutputs
{
public:
    explicit SideBySideChannels(QWidget* parent = nullptr);

    std::vector<VideoWidget*> showChannels(const QStringList& labels) override;
    void setChannelNote(int index, const QString& note) override;
    bool isChannelShown(int index) const override;
    void setFullScreen(bool on) override;
    bool isFullScreenVideo() const override { return m_fullScreen; }

    VideoWidget* channel(int index) const;
    QString note(int index) const;

private:
    std::vector<VideoWidget*> m_channels;
    QStringList m_notes;
    bool m_fullScreen = false;
};
