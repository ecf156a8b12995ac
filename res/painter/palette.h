#pragma once

#include <QColor>

// One palette for every picture of the skin: dark slate surfaces, a blue-grey accent
// (the label colour the widgets use for their texts) and a few signal colours.
namespace palette {
inline const QColor kBase{21, 24, 30};
inline const QColor kBaseLow{16, 18, 23};
inline const QColor kPanel{30, 34, 43};
inline const QColor kPanelEdge{50, 56, 71};
inline const QColor kRecess{20, 23, 29};
inline const QColor kRecessEdge{40, 45, 57};
inline const QColor kTitleTop{46, 52, 66};
inline const QColor kTitleBottom{31, 35, 45};
inline const QColor kTitleLine{196, 200, 208};  // the light grey line closing the title strip
inline const QColor kLabel{130, 149, 179};      // the widgets' own text colour
inline const QColor kText{206, 212, 224};
inline const QColor kTextBright{240, 243, 248};
inline const QColor kTextDim{84, 90, 104};
inline const QColor kAccent{92, 146, 214};
inline const QColor kAccentDeep{52, 96, 160};
inline const QColor kWarn{214, 72, 64};
inline const QColor kGo{86, 196, 122};
inline const QColor kDialFace{32, 32, 32};  // equals the speed text's own background
inline const QColor kListGround{224, 234, 244};
inline const QColor kHeaderGround{76, 85, 118};
inline const QColor kVScrollFill{74, 82, 107};
inline const QColor kHScrollFill{76, 85, 118};
inline const QColor kKey{255, 0, 255};  // colour key of the bitmaps drawn with a mask
}  // namespace palette
