#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the player window's parts sit on the 1024 x 768 skin: the painter draws them there
// and the window puts its controls there, so both read these rectangles.
namespace skin {

inline constexpr QSize kSize{1024, 768};
// Rows 0..28 are the title strip; row 29 is the light line closing it.
inline constexpr int kTitleRows = 29;

// round(units * num / den), half away from zero, in integers so that every build agrees.
constexpr int scaled(int units, int num, int den)
{
    const int magnitude = (2 * (units < 0 ? -units : units) * num + den) / (2 * den);
    return units < 0 ? -magnitude : magnitude;
}

// The controls' rectangles are given in layout units, a quarter of the window font's average
// character width across (7/4 pixel) and an eighth of its height down (14/8 pixel).
constexpr int unitsAcross(int units)
{
    return scaled(units, 7, 4);
}
constexpr int unitsDown(int units)
{
    return scaled(units, 14, 8);
}

// A rectangle in layout units as skin pixels. Each edge is rounded; the size is what lies
// between the rounded edges.
constexpr QRect fromLayoutUnits(int x, int y, int width, int height)
{
    const int left = unitsAcross(x);
    const int top = unitsDown(y);
    return {left, top, unitsAcross(x + width) - left, unitsDown(y + height) - top};
}

inline constexpr QRect kVideo = fromLayoutUnits(4, 21, 388, 274);
inline constexpr QRect kMapHost = fromLayoutUnits(396, 149, 184, 193);
inline constexpr QRect kPlayList = fromLayoutUnits(396, 39, 177, 101);
inline constexpr QRect kWaveform = fromLayoutUnits(4, 343, 387, 92);
inline constexpr QRect kSpeedText = fromLayoutUnits(428, 414, 31, 9);

// The seek bar's channel picture sizes the control.
inline constexpr QSize kSeekChannel{675, 9};
inline constexpr QRect kSeekBar{fromLayoutUnits(5, 337, 386, 5).topLeft(), kSeekChannel};

// Ten volume bars, 0 the lowest; each shows its whole picture.
inline constexpr int kVolumeBars = 10;
inline constexpr QSize kVolumeBar{4, 20};
constexpr QRect volumeBar(int index)
{
    return {fromLayoutUnits(29 + 4 * index, 311, 2, 11).topLeft(), kVolumeBar};
}

// The list's scroll bars lie against its right and bottom edges; the vertical one also
// covers the square below the list's lower right corner.
inline constexpr int kScrollBarThickness = 12;
constexpr QRect verticalScrollBar(const QRect& list)
{
    return {list.right() + 1, list.top(), kScrollBarThickness, list.height() + kScrollBarThickness};
}
constexpr QRect horizontalScrollBar(const QRect& list)
{
    return {list.left(), list.bottom() + 1, list.width() + 1, kScrollBarThickness};
}
// The list's widget, which holds its scroll bars.
constexpr QRect withScrollBars(const QRect& list)
{
    return list.adjusted(0, 0, kScrollBarThickness, kScrollBarThickness);
}

// Image buttons: a strip of four frames; a button takes one frame's size at the top-left
// corner of its rectangle in layout units (layoutRect).
enum class Button {
    Cycle,
    Prev,
    Play,
    Stop,
    Next,
    Print,
    Capture,
    Import,
    Clear,
    VolumeDown,
    VolumeUp,
    Minimise,
    Close
};
inline constexpr Button kButtons[] = {
    Button::Cycle,    Button::Prev,     Button::Play,   Button::Stop,  Button::Next,
    Button::Print,    Button::Capture,  Button::Import, Button::Clear, Button::VolumeDown,
    Button::VolumeUp, Button::Minimise, Button::Close};

inline constexpr QSize kTransportFrame{52, 51};
inline constexpr QSize kListFrame{65, 29};
inline constexpr QSize kTitleFrame{29, 21};
inline constexpr QSize kVolumeFrame{23, 23};

constexpr QRect layoutRect(Button b)
{
    switch (b) {
    case Button::Cycle: return fromLayoutUnits(115, 301, 31, 26);
    case Button::Prev: return fromLayoutUnits(146, 301, 30, 26);
    case Button::Play: return fromLayoutUnits(177, 301, 30, 26);
    case Button::Stop: return fromLayoutUnits(208, 301, 30, 26);
    case Button::Next: return fromLayoutUnits(239, 301, 30, 26);
    case Button::Print: return fromLayoutUnits(325, 301, 32, 26);
    case Button::Capture: return fromLayoutUnits(359, 301, 30, 26);
    case Button::Import: return fromLayoutUnits(396, 21, 39, 14);
    case Button::Clear: return fromLayoutUnits(435, 21, 37, 14);
    case Button::VolumeDown: return fromLayoutUnits(13, 309, 14, 15);
    case Button::VolumeUp: return fromLayoutUnits(69, 309, 17, 15);
    case Button::Minimise: return fromLayoutUnits(548, 3, 13, 12);
    case Button::Close: return fromLayoutUnits(566, 3, 13, 12);
    }
    return {};
}

// The file of a button's strip among the skin's pictures (the cycle button's with its lamp
// lit, the play button's showing play).
constexpr const char* stripPicture(Button b)
{
    switch (b) {
    case Button::Cycle: return "cycle-on.png";
    case Button::Prev: return "previous.png";
    case Button::Play: return "play.png";
    case Button::Stop: return "stop.png";
    case Button::Next: return "next.png";
    case Button::Print: return "print.png";
    case Button::Capture: return "capture.png";
    case Button::Import: return "import.png";
    case Button::Clear: return "clear.png";
    case Button::VolumeDown: return "volume-down.png";
    case Button::VolumeUp: return "volume-up.png";
    case Button::Minimise: return "minimise.png";
    case Button::Close: return "close.png";
    }
    return "";
}

constexpr QSize buttonFrame(Button b)
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

constexpr QRect button(Button b)
{
    return {layoutRect(b).topLeft(), buttonFrame(b)};
}

}  // namespace skin
