#include "playback/video_surface.h"

#include "playback/overlay_sink.h"

#include <QGuiApplication>
#include <QWindow>

#include <gst/gst.h>

#include <cmath>
#include <utility>

VideoSurface::VideoSurface(QWidget* parent) : QWidget(parent)
{
    // A window of its own, without turning the player window's widgets into windows
    // (the order matters: the ancestors turn native at the moment this one does).
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_NativeWindow);
    // The sink paints every pixel; Qt must neither paint nor erase.
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Clicks and keys belong to the video widget underneath.
    setFocusPolicy(Qt::NoFocus);
    hide();
}

VideoSurface::~VideoSurface()
{
    // Runs before QWidget's destructor destroys the native window.
    detach();
}

void VideoSurface::attach(GstElement* sink)
{
    detach();
    m_sink = GST_ELEMENT(gst_object_ref(sink));
    pointSinkHere();
    fitOverlaySink(m_sink, pixelSize());
}

void VideoSurface::adopt(VideoSurface& other)
{
    detach();
    std::swap(m_sink, other.m_sink);
    if (m_sink == nullptr) {
        return;
    }
    pointSinkHere();
    // A hidden stand-in keeps the size the sink has.
    if (isVisible() && fitOverlaySink(m_sink, pixelSize())) {
        emit frameSizeChanged();
    }
}

void VideoSurface::detach()
{
    if (m_sink == nullptr) {
        return;
    }
    stopOverlaySink(m_sink);
    gst_object_unref(m_sink);
    m_sink = nullptr;
}

// The sink reaches the window through a display connection of its own: the
// window must exist on the server before the sink looks it up.
void VideoSurface::pointSinkHere()
{
    const WId handle = winId();
    QGuiApplication::sync();
    setOverlayWindow(m_sink, handle);
    // The server's exposures reach the window, not always the widget's paint events.
    windowHandle()->installEventFilter(this);
}

bool VideoSurface::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && m_sink != nullptr) {
        exposeOverlay(m_sink);
    }
    return QWidget::eventFilter(watched, event);
}

bool VideoSurface::event(QEvent* event)
{
    // The native window was made anew (the widget moved to another top-level window).
    if (event->type() == QEvent::WinIdChange && m_sink != nullptr) {
        pointSinkHere();
    }
    return QWidget::event(event);
}

void VideoSurface::paintEvent(QPaintEvent*)
{
    if (m_sink != nullptr) {
        exposeOverlay(m_sink);
    }
}

void VideoSurface::resizeEvent(QResizeEvent*)
{
    if (m_sink != nullptr && fitOverlaySink(m_sink, pixelSize())) {
        emit frameSizeChanged();
    }
}

QSize VideoSurface::pixelSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(static_cast<int>(std::lround(width() * ratio)),
                 static_cast<int>(std::lround(height() * ratio)));
}
