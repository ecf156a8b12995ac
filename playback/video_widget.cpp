#include "playback/video_widget.h"

#include "playback/full_screen.h"
#include "playback/overlay_sink.h"
#include "playback/video_placement.h"
#include "playback/video_surface.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QWindow>

#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>

VideoWidget::VideoWidget(QWidget* parent)
    : QWidget(parent), m_mailbox(std::make_shared<FrameMailbox>(this))
{
    // Every pixel is painted (picture or black), so Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

VideoWidget::~VideoWidget()
{
    m_mailbox->detach();
}

void VideoWidget::setVideoSize(std::optional<QSize> nativeSize)
{
    m_videoSize = nativeSize;
    placeSurface();
    update();
    emit pictureMoved();
}

void VideoWidget::clearPicture()
{
    m_mailbox->clear();
    m_videoSize.reset();
    placeSurface();
    update();
    emit pictureMoved();
}

QRect VideoWidget::videoRect() const
{
    return m_videoSize ? placeVideo(*m_videoSize, size()) : QRect();
}

void VideoWidget::setFullScreen(bool on)
{
    if (on == m_fullScreen) {
        return;
    }
    m_fullScreen = on;
    switchFullScreen(this, on, m_normalGeometry, {this});
}

VideoSurface* VideoWidget::parkSink(QWidget* holder)
{
    if (m_surface == nullptr) {
        return nullptr;
    }
    VideoSurface* standIn = newSurface(holder);
    standIn->adopt(*m_surface);
    delete m_surface;
    m_surface = nullptr;
    return standIn;
}

void VideoWidget::unparkSink(VideoSurface& standIn)
{
    videoSurface()->adopt(standIn);
}

void VideoWidget::setCaption(const QString& label, const QString& note)
{
    if (label == m_label && note == m_note) {
        return;
    }
    m_label = label;
    m_note = note;
    placeSurface();
    update();
}

void VideoWidget::setMirrored(bool on)
{
    if (on != m_mirrored) {
        m_mirrored = on;
        update();
        emit mirroredChanged(on);
    }
}

void VideoWidget::setOverlaidRegion(const QRegion& region)
{
    if (region != m_overlaid) {
        m_overlaid = region;
        placeSurface();
    }
}

QString VideoWidget::captionText() const
{
    if (m_note.isEmpty()) {
        return m_label;
    }
    return m_label.isEmpty() ? m_note : m_label + QStringLiteral("  ") + m_note;
}

// In the picture's top left corner (the widget's while there is no picture), as small as
// the text, which is cut short to the width there is.
QRect VideoWidget::captionRect() const
{
    const QString text = captionText();
    if (text.isEmpty()) {
        return {};
    }
    const QRect picture = videoRect().isEmpty() ? rect() : videoRect();
    constexpr int kInset = 4;
    constexpr int kPadding = 3;
    const QFontMetrics metrics = fontMetrics();
    const int width =
        std::min(metrics.horizontalAdvance(text) + 2 * kPadding, picture.width() - 2 * kInset);
    const QRect box(picture.topLeft() + QPoint(kInset, kInset),
                    QSize(width, metrics.height() + 2 * kPadding));
    return width > 0 ? box & picture : QRect();
}

VideoWidget::FrameCounts VideoWidget::frameCounts() const
{
    if (m_surface != nullptr && m_surface->sink() != nullptr) {
        const OverlayFrameCounts counts = overlayFrameCounts(m_surface->sink());
        return {counts.presented, counts.drawn};
    }
    return {m_mailbox->posted(), m_painted};
}

VideoSurface* VideoWidget::videoSurface()
{
    if (m_surface == nullptr) {
        m_surface = newSurface(this);
        placeSurface();
    }
    return m_surface;
}

VideoSurface* VideoWidget::newSurface(QWidget* parent)
{
    auto* surface = new VideoSurface(parent);
    connect(surface, &VideoSurface::frameSizeChanged, this, &VideoWidget::surfaceFrameSizeChanged);
    return surface;
}

void VideoWidget::setSurfaceShown(bool shown)
{
    m_surfaceShown = shown;
    placeSurface();
    update();
}

void VideoWidget::placeSurface()
{
    if (m_surface == nullptr) {
        return;
    }
    const QRect target = videoRect();
    m_surface->setGeometry(target);
    // What Qt paints over the picture shows through holes in the sink's window.
    const QRegion kept = QRegion(target).subtracted(m_overlaid).subtracted(captionRect());
    if (kept == QRegion(target)) {
        m_surface->clearMask();
    } else if (!kept.isEmpty()) {
        m_surface->setMask(kept.translated(-target.topLeft()));
    }
    m_surface->setVisible(m_surfaceShown && !kept.isEmpty());
}

void VideoWidget::resizeEvent(QResizeEvent* event)
{
    placeSurface();
    QWidget::resizeEvent(event);
}

// Qt does not always carry a native child along when its alien parent only moves (the
// channels trading places of one size): the sink's window would stay where it was.
void VideoWidget::moveEvent(QMoveEvent* event)
{
    QWindow* native = m_surface != nullptr ? m_surface->windowHandle() : nullptr;
    QWidget* host = m_surface != nullptr ? m_surface->nativeParentWidget() : nullptr;
    if (native != nullptr && host != nullptr) {
        native->setGeometry(QRect(m_surface->mapTo(host, QPoint(0, 0)), m_surface->size()));
    }
    QWidget::moveEvent(event);
}

void VideoWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect target = videoRect();
    const FrameMailbox::Newest newest = m_mailbox->take();
    if (newest.sample == nullptr || target.isEmpty()) {
        painter.fillRect(rect(), Qt::black);
    } else {
        painter.setClipRegion(QRegion(rect()).subtracted(target));
        painter.fillRect(rect(), Qt::black);
        painter.setClipping(false);
        paintSample(painter, newest.sample, target);
    }
    paintCaption(painter);
    if (newest.sample == nullptr) {
        return;
    }
    if (newest.sequence != m_paintedSequence) {
        m_paintedSequence = newest.sequence;
        ++m_painted;
    }
    gst_sample_unref(newest.sample);
}

void VideoWidget::paintSample(QPainter& painter, GstSample* sample, const QRect& target)
{
    GstVideoInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstCaps* caps = gst_sample_get_caps(sample);
    GstVideoFrame frame;
    if (buffer == nullptr || caps == nullptr || !gst_video_info_from_caps(&info, caps) ||
        GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGRx ||
        !gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) {
        painter.fillRect(target, Qt::black);
        return;
    }
    // BGRx in memory is 0xxxRRGGBB per 32-bit pixel: Qt's RGB32, painted without a copy.
    const QImage image(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                       GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                       GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32);
    if (m_mirrored) {
        painter.save();
        // x -> left + right - x: the picture turned about its own middle.
        painter.translate(2 * target.left() + target.width(), 0);
        painter.scale(-1, 1);
        painter.drawImage(target, image);
        painter.restore();
    } else {
        painter.drawImage(target, image);
    }
    gst_video_frame_unmap(&frame);
}

// Whole pixels on an opaque ground: crisp at any size of the picture, whatever is under it.
void VideoWidget::paintCaption(QPainter& painter)
{
    const QRect box = captionRect();
    if (box.isEmpty()) {
        return;
    }
    painter.fillRect(box, QColor(0, 0, 0));
    painter.setPen(QColor(255, 255, 255));
    const QRect text = box.adjusted(3, 3, -3, -3);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(captionText(), Qt::ElideRight, text.width()));
}

// The video takes its own presses: under a window manager a press passed on to the
// window would start moving it, and the double-click would never arrive.
void VideoWidget::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void VideoWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click) {
        emit clicked();
    }
}

void VideoWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_pressed = false;  // the release that ends a double-click is no click of its own
    emit doubleClicked();
    event->accept();
}

void VideoWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_fullScreen) {
        setFullScreen(false);  // and nothing more
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
