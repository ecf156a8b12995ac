#include "app/window_placement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

constexpr int kBesideGap = 8;

}  // namespace

void placeBeside(QWidget* dialog, const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect screen = window->screen()->availableGeometry();
    const int roomRight = screen.right() - frame.right() - kBesideGap;
    const int roomLeft = frame.left() - screen.left() - kBesideGap;
    // Narrowed to the wider room where it still fits so.
    const int room = std::max(roomRight, roomLeft);
    if (dialog->width() > room && room >= dialog->minimumSizeHint().width()) {
        dialog->resize(room, dialog->height());
    }
    // Where it cannot fit, over the player's left, the video: the map and the list it
    // answers about stay in sight.
    const int x = dialog->width() <= roomRight
                      ? frame.right() + kBesideGap
                      : std::max(screen.left(), frame.left() - kBesideGap - dialog->width());
    dialog->move(x, std::clamp(frame.top(), screen.top(),
                               std::max(screen.top(), screen.bottom() - dialog->height())));
}
