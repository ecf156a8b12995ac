#pragma once

#include <QColor>

// One palette for the skin's pictures and the controls drawn on them: dark slate surfaces,
// a blue-grey accent (the label colour the widgets use for their texts) and a few signal
// colours.
namespace palette {
// Surfaces, darkest first, and the edges that set them off.
inline constexpr QColor kBase{21, 24, 30};
inline constexpr QColor kBaseLow{16, 18, 23};
inline constexpr QColor kPanel{30, 34, 43};
inline constexpr QColor kPanelEdge{50, 56, 71};
inline constexpr QColor kRecess{20, 23, 29};
inline constexpr QColor kRecessEdge{40, 45, 57};
// The title strip.
inline constexpr QColor kTitleTop{46, 52, 66};
inline constexpr QColor kTitleBottom{31, 35, 45};
// The light grey line closing the title strip.
inline constexpr QColor kTitleLine{196, 200, 208};

// Texts.
// The widgets' own text colour.
inline constexpr QColor kLabel{130, 149, 179};
inline constexpr QColor kText{206, 212, 224};
inline constexpr QColor kTextBright{240, 243, 248};
inline constexpr QColor kTextDim{84, 90, 104};

// Accent and signal colours.
inline constexpr QColor kAccent{92, 146, 214};
inline constexpr QColor kAccentDeep{52, 96, 160};
inline constexpr QColor kWarn{214, 72, 64};
inline constexpr QColor kGo{86, 196, 122};

// Equals the speed text's own background.
inline constexpr QColor kDialFace{32, 32, 32};

// The play list, its selected row, header and scroll bars.
inline constexpr QColor kListGround{224, 234, 244};
inline constexpr QColor kListSelectedText{229, 229, 229};
inline constexpr QColor kListSelectedBack{115, 123, 165};
inline constexpr QColor kHeaderGround{76, 85, 118};
inline constexpr QColor kVScrollFill{74, 82, 107};
inline constexpr QColor kHScrollFill{76, 85, 118};

// The G-sensor chart.
// The waveform's; its well in the skin.
inline constexpr QColor kWaveGround{10, 10, 10};
inline constexpr QColor kWavePlot{19, 19, 19};
inline constexpr QColor kWaveGrid{32, 37, 42};

// Lines on the title strip.
// Amber: a note on the title strip stands out.
inline constexpr QColor kNote{236, 196, 92};
// Calmer than a note.
inline constexpr QColor kSummary{176, 190, 214};

}  // namespace palette
