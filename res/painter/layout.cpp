#include "layout.h"

namespace layout {
namespace {

// round(units * num / den) for non-negative units, half away from zero.
int scaled(int units, int num, int den)
{
    return (2 * units * num + den) / (2 * den);
}

QRect templateButton(Button b)
{
    switch (b) {
    case Button::Cycle: return fromDialogUnits(115, 301, 31, 26);
    case Button::Prev: return fromDialogUnits(146, 301, 30, 26);
    case Button::Play: return fromDialogUnits(177, 301, 30, 26);
    case Button::Stop: return fromDialogUnits(208, 301, 30, 26);
    case Button::Next: return fromDialogUnits(239, 301, 30, 26);
    case Button::Print: return fromDialogUnits(325, 301, 32, 26);
    case Button::Capture: return fromDialogUnits(359, 301, 30, 26);
    case Button::Import: return fromDialogUnits(396, 21, 39, 14);
    case Button::Clear: return fromDialogUnits(435, 21, 37, 14);
    case Button::VolumeDown: return fromDialogUnits(13, 309, 14, 15);
    case Button::VolumeUp: return fromDialogUnits(69, 309, 17, 15);
    case Button::Minimise: return fromDialogUnits(548, 3, 13, 12);
    case Button::Close: return fromDialogUnits(566, 3, 13, 12);
    }
    return {};
}

}  // namespace

QRect fromDialogUnits(int x, int y, int width, int height)
{
    const int left = scaled(x, 7, 4);
    const int top = scaled(y, 14, 8);
    return QRect(QPoint(left, top),
                 QPoint(scaled(x + width, 7, 4) - 1, scaled(y + height, 14, 8) - 1));
}

QRect video() { return fromDialogUnits(4, 21, 388, 274); }
QRect mapHost() { return fromDialogUnits(396, 149, 184, 193); }
QRect playList() { return fromDialogUnits(396, 39, 177, 101); }
QRect waveform() { return fromDialogUnits(4, 343, 387, 92); }
QRect speedText() { return fromDialogUnits(428, 414, 31, 9); }

QRect seekBar()
{
    // The channel picture sizes the control.
    return {fromDialogUnits(5, 337, 386, 5).topLeft(), QSize(675, 9)};
}

QRect volumeBar(int index)
{
    return {fromDialogUnits(29 + 4 * index, 311, 2, 11).topLeft(), kVolumeBar};
}

QRect verticalScrollBar()
{
    const QRect list = playList();
    return {list.right() + 1, list.top(), 12, list.height() + 12};
}

QRect horizontalScrollBar()
{
    const QRect list = playList();
    return {list.left(), list.bottom() + 1, list.width() + 1, 12};
}

QPoint buttonOrigin(Button b) { return templateButton(b).topLeft(); }

QSize buttonFrame(Button b)
{
    switch (b) {
    case Button::Import:
    case Button::Clear: return kListFrame;
    case Button::VolumeDown:
    case Button::VolumeUp: return kVolumeFrame;
    case Button::Minimise:
    case Button::Close: return kTitleFrame;
    default: return kTransportFrame;
    }
}

}  // namespace layout
