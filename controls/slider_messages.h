#pragma once

#include <QEvent>

constexpr int WM_USER = 0x0400;
// Posted by CBitmapSlider to its parent: during a drag, each time the thumb moved a pixel.
constexpr int WM_SLIDER_MOVING = WM_USER + 9425;
// Posted by CBitmapSlider to its parent: on release of the mouse and after each handled key.
constexpr int WM_SLIDER_MOVED = WM_USER + 9426;

// The posted notification; wParam is the control's identifier, lParam the new position.
class CSliderEvent : public QEvent {
public:
    CSliderEvent(int message, int controlId, int position)
        : QEvent(static_cast<QEvent::Type>(message)), wParam(controlId), lParam(position)
    {
    }

    const int wParam;
    const int lParam;
};
