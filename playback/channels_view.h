#pragma once

#include <QStringList>
#include <QWidget>

#include <vector>

#include "playback/channel_arrangement.h"
#include "playback/channel_outputs.h"

class QMenu;

// The video area of a moment: one video widget per channel, arranged as the layout says
// (the main picture with insets over it, side by side, stacked, a grid, or the main
// picture alone). A click on an inset makes it the main picture. One channel fills the
// area alone, without a label, as a single recording always did.
class ChannelsView : public QWidget, public ChannelOutputs
{
    Q_OBJECT

public:
    explicit ChannelsView(QWidget* parent = nullptr);
    ~ChannelsView() override;

    std::vector<VideoWidget*> showChannels(const QStringList& labels) override;
    void setChannelNote(int index, const QString& note) override;
    bool isChannelShown(int index) const override;
    void setFullScreen(bool on) override;
    bool isFullScreenVideo() const override { return m_fullScreen; }

    int channelCount() const { return static_cast<int>(m_channels.size()); }
    VideoWidget* channel(int index) const;
    // The channel in a place of the arrangement (0: the main picture).
    int channelAt(int place) const;

    ChannelLayout channelLayout() const { return m_layout; }
    void setChannelLayout(const ChannelLayout& layout);
    // The next arrangement for the channels shown.
    void cycleArrangement();
    // Each channel moves one place on: the next one becomes the main picture.
    void swapChannels();

    // The menu of the video area, as a right-click opens it.
    void fillMenu(QMenu& menu);

signals:
    void doubleClicked();
    // The user changed the layout (arrangement, corner, size, mirror).
    void channelLayoutChanged(const ChannelLayout& layout);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void changeLayout(const ChannelLayout& layout);
    int channelPlace(int index) const;
    void makeMain(int place);
    void arrange();
    void stackAndMask(const std::vector<QRect>& places);
    VideoWidget* newChannel();

    std::vector<VideoWidget*> m_channels;  // children, in the engine's order
    std::vector<int> m_order;              // channel index by place
    QStringList m_labels;
    ChannelLayout m_layout;
    bool m_fullScreen = false;
    QRect m_normalGeometry;
};
