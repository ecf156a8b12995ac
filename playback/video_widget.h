#pragma once

#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>
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
// surface is hidden). A channel's label and note are painted over the picture by Qt,
// and the surface leaves their place, and any place overlaid by widgets above, to it.
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

    // A channel's name ("F") and what it has no picture for, shown in the picture's corner;
    // both empty: nothing is shown.
    void setCaption(const QString& label, const QString& note);
    QString label() const { return m_label; }
    QString note() const { return m_note; }
    // Where the caption shows, in widget coordinates; empty when there is none.
    QRect captionRect() const;
    // The picture turned left to right, as a rear-view mirror shows it. Qt turns the frames
    // it paints; an engine drawing through an overlay sink turns them itself.
    void setMirrored(bool on);
    bool isMirrored() const { return m_mirrored; }
    // Parts of this widget that widgets stacked above it cover: the surface leaves them out,
    // so that they show over a picture the sink draws.
    void setOverlaidRegion(const QRegion& region);

    // The frames of the mailbox, or of the overlay sink while one is attached.
    FrameCounts frameCounts() const;

    // The native window for an overlay sink, made on first use, hidden until shown.
    VideoSurface* videoSurface();
    // Shows the surface over the picture's rectangle, or hides it so that the
    // mailbox's picture shows.
    void setSurfaceShown(bool shown);
    bool hasVideoSurface() const { return m_surface != nullptr; }
    // While this widget's windows are made anew: the sink draws into a stand-in made in
    // `holder` (returned; it stays the holder's), then back into a new surface of this widget.
    VideoSurface* parkSink(QWidget* holder);
    void unparkSink(VideoSurface& standIn);

signals:
    void doubleClicked();
    // A left-button click (press and release on the widget).
    void clicked();
    // Where the picture lies may have changed: a new native size, or none.
    void pictureMoved();
    void mirroredChanged(bool on);
    // The overlay sink was given a new size: a paused pipeline must render its frame again.
    void surfaceFrameSizeChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void placeSurface();
    VideoSurface* newSurface(QWidget* parent);
    void paintSample(QPainter& painter, GstSample* sample, const QRect& target);
    void paintCaption(QPainter& painter);
    QString captionText() const;

    std::shared_ptr<FrameMailbox> m_mailbox;
    quint64 m_painted = 0;
    quint64 m_paintedSequence = 0;
    std::optional<QSize> m_videoSize;
    bool m_fullScreen = false;
    QRect m_normalGeometry;
    VideoSurface* m_surface = nullptr;  // a child; made for the first overlay sink
    bool m_surfaceShown = false;
    QString m_label;
    QString m_note;
    bool m_mirrored = false;
    bool m_pressed = false;  // a left press that may end as a click
    QRegion m_overlaid;
};
