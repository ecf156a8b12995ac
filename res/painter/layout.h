#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the controls of the player window's template sit on the 1024 x 768 skin.
namespace layout {

inline constexpr QSize kSkin{1024, 768};
inline constexpr int kTitleRows = 29;  // rows 0..28; row 29 is the closing line

// A template rectangle in dialog units (7/4 pixel across, 14/8 pixel down, edges rounded
// half away from zero) as skin pixels.
QRect fromDialogUnits(int x, int y, int width, int height);

// Control rectangles as the template gives them.
QRect video();
QRect mapHost();
QRect playList();
QRect waveform();
QRect seekBar();
QRect speedText();
QRect volumeBar(int index);  // 0 = lowest

// The list's companion scroll bars, placed against its right and bottom edges.
QRect verticalScrollBar();
QRect horizontalScrollBar();

// Image buttons take the size of one frame of their strip, keeping the top-left corner.
enum class Button { Cycle, Prev, Play, Stop, Next, Print, Capture, Import, Clear,
                    VolumeDown, VolumeUp, Minimise, Close };
inline constexpr Button kButtons[] = {
    Button::Cycle, Button::Prev, Button::Play, Button::Stop, Button::Next, Button::Print,
    Button::Capture, Button::Import, Button::Clear, Button::VolumeDown, Button::VolumeUp,
    Button::Minimise, Button::Close};
QPoint buttonOrigin(Button button);
QSize buttonFrame(Button button);
inline QRect button(Button button) { return {buttonOrigin(button), buttonFrame(button)}; }

// Frame sizes of the four kinds of strip (a strip is four frames wide).
inline constexpr QSize kTransportFrame{52, 51};
inline constexpr QSize kListFrame{65, 29};
inline constexpr QSize kTitleFrame{29, 21};
inline constexpr QSize kVolumeFrame{23, 23};

// The volume bars' picture size.
inline constexpr QSize kVolumeBar{4, 20};

// Gauges painted into the skin.
inline constexpr QPoint kDialCentre{776, 684};
// The speedometer's bezel with a pixel to spare: what a picture of another face covers.
inline constexpr QRect kDialPicture{698, 606, 157, 157};
inline constexpr QPoint kCompassCentre{936, 681};
inline constexpr QPoint kCompassOrigin{900, 645};  // top left of the arrow's square

}  // namespace layout
