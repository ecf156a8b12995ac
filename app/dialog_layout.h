#pragma once

#include <QRect>
#include <QString>

#include "skin_geometry.h"

// The player window's controls, by id.
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
inline constexpr int kVolumeBars = skin::kVolumeBars;
inline constexpr int kSpeedText = 1040;
// The title strip's line of text, between the title and its buttons.
inline constexpr QRect kTitleStripText{200, 5, 740, 18};

// The object name of a control: what it is (tests and tools find controls by it).
inline QString controlName(int id)
{
    if (id >= kFirstVolumeBar && id < kFirstVolumeBar + kVolumeBars)
        return QStringLiteral("volumeBar%1").arg(id - kFirstVolumeBar);
    switch (id) {
    case kVideo: return QStringLiteral("video");
    case kMapHost: return QStringLiteral("mapHost");
    case kPlayList: return QStringLiteral("playlist");
    case kImport: return QStringLiteral("importButton");
    case kClear: return QStringLiteral("clearButton");
    case kPlay: return QStringLiteral("playButton");
    case kStop: return QStringLiteral("stopButton");
    case kPrev: return QStringLiteral("previousButton");
    case kNext: return QStringLiteral("nextButton");
    case kPrint: return QStringLiteral("printButton");
    case kCapture: return QStringLiteral("captureButton");
    case kCycle: return QStringLiteral("cycleButton");
    case kWaveform: return QStringLiteral("waveform");
    case kSeekBar: return QStringLiteral("seekSlider");
    case kMinimise: return QStringLiteral("minimiseButton");
    case kClose: return QStringLiteral("closeButton");
    case kVolumeDown: return QStringLiteral("volumeDownButton");
    case kVolumeUp: return QStringLiteral("volumeUpButton");
    case kSpeedText: return QStringLiteral("speedText");
    default: return {};
    }
}
}  // namespace ctl

// Where the window puts a control: its rectangle on the skin; an empty rectangle for
// unknown ids. Image buttons then take the size of one frame of their picture.
QRect controlRect(int id);
