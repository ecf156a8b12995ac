#pragma once

#include <QRect>

// Controls of the player window (dialog template 102).
namespace ctl {
inline constexpr int kVideo = 1000;
inline constexpr int kMapHost = 1002;
inline constexpr int kPlayList = 1004;
inline constexpr int kImport = 1005;
inline constexpr int kClear = 1007;
inline constexpr int kPlay = 1008;
inline constexpr int kStop = 1009;
inline constexpr int kPrev = 1010;
inline constexpr int kNext = 1011;
inline constexpr int kPrint = 1012;
inline constexpr int kCapture = 1013;
inline constexpr int kCycle = 1018;
inline constexpr int kWaveform = 1021;
inline constexpr int kSeekBar = 1023;
inline constexpr int kMinimise = 1024;
inline constexpr int kClose = 1025;
inline constexpr int kVolumeDown = 1026;
inline constexpr int kVolumeUp = 1027;
inline constexpr int kFirstVolumeBar = 1028;
inline constexpr int kVolumeBars = 10;
inline constexpr int kSpeedText = 1040;
}  // namespace ctl

inline constexpr int kSkinWidth = 1024;
inline constexpr int kSkinHeight = 768;
// Everything above this row is the title strip (right-click there opens the window menu).
inline constexpr int kTitleStripHeight = 29;

// A template rectangle (dialog units: x, y, width, height) in skin pixels: one horizontal
// unit is 7/4 pixel, one vertical unit 14/8 pixel, edges rounded half away from zero.
QRect DialogUnitsToPixels(int x, int y, int width, int height);
// The pixel rectangle of a control of template 102; an empty rectangle for unknown ids.
QRect ControlRect(int id);
