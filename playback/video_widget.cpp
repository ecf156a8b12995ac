#include "playback/video_widget.h"

#include "playback/overlay_sink.h"
#include "playback/video_placement.h"
#include "playback/video_surface.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <gst/gst.h>
#include <gst/video/video.h>

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
}

void VideoWidget::clearPicture()
{
    m_mailbox->clear();
    m_videoSize.reset();
    placeSurface();
    update();
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
    // A child widget becomes a window of its own while full screen and goes back
    // into its parent afterwards. Qt makes the windows anew on the way, its native
    // children's too: the sink draws into a stand-in surface in the parent meanwhile,
    // then into a new surface of this widget. The stand-in sits in a holder of its
    // own: a native widget turns all its siblings native, and native controls in a
    // window that composites through OpenGL (a web view's) are never flushed again.
    const bool child = parentWidget() != nullptr;
    QWidget* standInHolder = nullptr;
    VideoSurface* standIn = nullptr;
    if (child && m_surface != nullptr) {
        standInHolder = new QWidget(parentWidget());
        standInHolder->hide();
        standIn = newSurface(standInHolder);
        standIn->adopt(*m_surface);
        delete m_surface;
        m_surface = nullptr;
    }
    if (on) {
        m_normalGeometry = geometry();
        if (child) {
            setWindowFlag(Qt::Window, true);
        }
        showFullScreen();
    } else {
        if (child) {
            // A native window going back into the parent would race the window
            // manager, which hands the window it lets go back to the desktop: Qt is
            // to destroy it instead.
            setAttribute(Qt::WA_NativeWindow, false);
            setWindowFlag(Qt::Window, false);
        }
        showNormal();
        setGeometry(m_normalGeometry);
        show();
    }
    if (standIn != nullptr) {
        videoSurface()->adopt(*standIn);
        delete standInHolder;
    }
    if (on) {
        // Escape must reach the full-screen video, not the window behind it.
        activateWindow();
        setFocus(Qt::OtherFocusReason);
    }
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
    m_surface->setVisible(m_surfaceShown && !target.isEmpty());
}

void VideoWidget::resizeEvent(QResizeEvent* event)
{
    placeSurface();
    QWidget::resizeEvent(event);
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
    painter.drawImage(target, image);
    gst_video_frame_unmap(&frame);
}

// The video takes its own presses: under a window manager a press passed on to the
// window would start moving it, and the double-click would never arrive.
void VideoWidget::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void VideoWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
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
