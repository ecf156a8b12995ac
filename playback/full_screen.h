#pragma once

#include <QRect>

#include <vector>

class QWidget;
class VideoWidget;

// Shows `widget` alone on the whole screen, as a window of its own, or puts it back into
// its parent at `normalGeometry` (kept there on the way in). `videos` are the video widgets
// inside it (itself among them, if it is one), whose sinks keep drawing throughout.
void switchFullScreen(QWidget* widget, bool on, QRect& normalGeometry,
                      const std::vector<VideoWidget*>& videos);
