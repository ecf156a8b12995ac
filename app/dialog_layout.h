#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include "skin/skin_geometry.h"

// The player window's controls by object name: what each is (tests and tools find the
// controls by it).
namespace ctl {
inline const QString kVideo = QStringLiteral("video");
inline const QString kMapHost = QStringLiteral("mapHost");
inline const QString kPlayList = QStringLiteral("playlist");
inline const QString kImport = QStringLiteral("importButton");
inline const QString kClear = QStringLiteral("clearButton");
inline const QString kPlay = QStringLiteral("playButton");
inline const QString kStop = QStringLiteral("stopButton");
inline const QString kPrev = QStringLiteral("previousButton");
inline const QString kNext = QStringLiteral("nextButton");
inline const QString kPrint = QStringLiteral("printButton");
inline const QString kCapture = QStringLiteral("captureButton");
inline const QString kCycle = QStringLiteral("cycleButton");
inline const QString kWaveform = QStringLiteral("waveform");
inline const QString kSeekBar = QStringLiteral("seekSlider");
inline const QString kMinimise = QStringLiteral("minimiseButton");
inline const QString kClose = QStringLiteral("closeButton");
inline const QString kVolumeDown = QStringLiteral("volumeDownButton");
inline const QString kVolumeUp = QStringLiteral("volumeUpButton");
inline const QString kSpeedText = QStringLiteral("speedText");
inline constexpr int kVolumeBars = skin::kVolumeBars;
// Volume bar `index`, 0 the lowest.
inline QString volumeBar(int index)
{
    return QStringLiteral("volumeBar%1").arg(index);
}
// The title strip's line of text, between the title and its buttons.
inline constexpr QRect kTitleStripText{200, 5, 740, 18};
}  // namespace ctl

// Where the window puts a control: its rectangle on the skin; an empty rectangle for
// unknown names. Image buttons then take the size of one frame of their picture.
QRect controlRect(const QString& name);
// Every control that has a place on the skin.
QStringList placedControls();
