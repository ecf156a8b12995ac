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
    const bool right = dialog->width() <= roomRight || roomRight >= roomLeft;
    const int room = right ? roomRight : roomLeft;
    // Narrowed to the room where it still fits so; over the player only where it cannot.
    if (dialog->width() > room && room >= dialog->minimumSizeHint().width()) {
        dialog->resize(room, dialog->height());
    }
    const int x = right ? std::min(frame.right() + kBesideGap, screen.right() - dialog->width())
                        : std::max(screen.left(), frame.left() - kBesideGap - dialog->width());
    dialog->move(x, std::clamp(frame.top(), screen.top(),
                               std::max(screen.top(), screen.bottom() - dialog->height())));
}
