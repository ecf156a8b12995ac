#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>

#include "playback/frame_mailbox.h"
#include "playback/media_engine.h"

#include <memory>
#include <optional>

class VideoSurface;

// The video area: paints the newest decoded frame (BGRx) into the rectangle the
// placement rule gives for the widget's current size, black everywhere else.
// Frames arrive through its mailbox from GStreamer's streaming thread; painting
// happens on the widget's own thread. When an overlay sink draws the video
// instead, it draws into the video surface laid over that rectangle, and the
// widget paints only the black around it (and the mailbox's picture while the
// surface is hidden).
class VideoWidget : public QWidget, public VideoOutput
{
    Q_OBJECT

public:
    struct FrameCounts
    {
        quint64 presented = 0;  // frames posted by the pipeline
        quint64 painted = 0;    // of those, frames that reached the screen
    };

    explicit VideoWidget(QWidget* parent = nullptr);
    ~VideoWidget() override;

    // Where the pipeline posts frames; it may outlive the widget.
    std::shared_ptr<FrameMailbox> mailbox() const { return m_mailbox; }

    // The native size of the picture to place, or nothing to place (audio only).
    void setVideoSize(std::optional<QSize> nativeSize);
    // Forgets the picture and the placement: the area turns black.
    void clearPicture();
    // Where the picture goes at the current size; empty when nothing is placed.
    QRect videoRect() const;

    // Shows the video alone on the whole screen, or puts it back where it was.
    void setFullScreen(bool on);
    bool isFullScreenVideo() const { return m_fullScreen; }

    // The frames of the mailbox, or of the overlay sink while one is attached.
    FrameCounts frameCounts() const;

    // The native window for an overlay sink, made on first use, hidden until shown.
    VideoSurface* videoSurface();
    // Shows the surface over the picture's rectangle, or hides it so that the
    // mailbox's picture shows.
    void setSurfaceShown(bool shown);

signals:
    void doubleClicked();
    // The overlay sink was given a new size: a paused pipeline must render its frame again.
    void surfaceFrameSizeChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeSurface();
    VideoSurface* newSurface(QWidget* parent);
    void paintSample(QPainter& painter, GstSample* sample, const QRect& target);

    std::shared_ptr<FrameMailbox> m_mailbox;
    quint64 m_painted = 0;
    quint64 m_paintedSequence = 0;
    std::optional<QSize> m_videoSize;
    bool m_fullScreen = false;
    QRect m_normalGeometry;
    VideoSurface* m_surface = nullptr;  // a child; made for the first overlay sink
    bool m_surfaceShown = false;
};
