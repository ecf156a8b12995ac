#pragma once

#include <QSize>
#include <QString>

typedef struct _GstElement GstElement;
typedef struct _GstSample GstSample;

// Video output through GStreamer's video overlay interface: the sink draws
// straight into a native window of ours, with no copy through Qt.

// The overlay sink for the windowing platform (QGuiApplication::platformName()) that
// opens on this display: on X11 xvimagesink when the X server has the video
// extension, else ximagesink. Null on any other platform (Wayland included) or when
// none opens: the caller then keeps its own frame path.
// The sink keeps the last frame shown, does not handle the window's events, and,
// when it cannot scale (ximagesink), comes in a bin whose size filter
// fitOverlaySink sets to the window's. Returns a floating reference.
GstElement* makeOverlaySink(const QString& platformName);

// Points the sink at the window `handle` (which must exist on the display).
void setOverlayWindow(GstElement* sink, unsigned long handle);
// The window is now `pixels` large. True when the sink cannot scale and was told
// the new size: a paused pipeline must then render its frame again to show it.
bool fitOverlaySink(GstElement* sink, QSize pixels);
// Asks the sink to draw its last frame again (the window was exposed).
void exposeOverlay(GstElement* sink);
// Leaves the sink stopped, in the null state, however its pipeline changes state
// later: it no longer touches the window. Any thread that may block briefly.
void stopOverlaySink(GstElement* sink);
// Frames the sink was given and, of those, frames it drew.
struct OverlayFrameCounts
{
    quint64 presented = 0;
    quint64 drawn = 0;
};
OverlayFrameCounts overlayFrameCounts(GstElement* sink);

// `sample` (any raw video format, any size) as BGRx at `size` (empty: its own size);
// a new reference or null.
GstSample* bgrxSample(GstSample* sample, QSize size);
