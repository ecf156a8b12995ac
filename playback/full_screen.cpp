#include "playback/full_screen.h"

#include "playback/video_surface.h"
#include "playback/video_widget.h"

#include <QWidget>

#include <memory>
#include <utility>

void switchFullScreen(QWidget* widget, bool on, QRect& normalGeometry,
                      const std::vector<VideoWidget*>& videos)
{
    // A child widget becomes a window of its own while full screen and goes back into
    // its parent afterwards. Qt makes the windows anew on the way, the native ones inside
    // too: each sink draws into a stand-in surface in the parent meanwhile, then into a
    // new surface of its video widget. The stand-ins sit in a holder of their own: a
    // native widget turns all its siblings native, and native controls in a window that
    // composites through OpenGL (a web view's) are never flushed again.
    const bool child = widget->parentWidget() != nullptr;
    std::unique_ptr<QWidget> standInHolder;
    std::vector<std::pair<VideoWidget*, VideoSurface*>> parked;
    for (VideoWidget* video : videos) {
        if (!child || !video->hasVideoSurface()) {
            continue;
        }
        if (!standInHolder) {
            standInHolder = std::make_unique<QWidget>(widget->parentWidget());
            standInHolder->hide();
        }
        parked.emplace_back(video, video->parkSink(standInHolder.get()));
    }
    if (on) {
        normalGeometry = widget->geometry();
        if (child) {
            widget->setWindowFlag(Qt::Window, true);
        }
        widget->showFullScreen();
    } else {
        if (child) {
            // A native window going back into the parent would race the window
            // manager, which hands the window it lets go back to the desktop: Qt is
            // to destroy it instead.
            widget->setAttribute(Qt::WA_NativeWindow, false);
            widget->setWindowFlag(Qt::Window, false);
        }
        widget->showNormal();
        widget->setGeometry(normalGeometry);
        widget->show();
    }
    for (const auto& [video, standIn] : parked) {
        video->unparkSink(*standIn);
    }
    standInHolder.reset();
    if (on) {
        // Escape must reach the full-screen video, not the window behind it.
        widget->activateWindow();
        widget->setFocus(Qt::OtherFocusReason);
    }
}
