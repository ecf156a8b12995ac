#include "dialog_layout.h"

#include <cmath>

namespace {

struct TemplateRect {
    int id;
    int x, y, width, height;
};

constexpr TemplateRect kTemplate102[] = {
    {ctl::kVideo, 4, 21, 388, 274},     {ctl::kMapHost, 396, 149, 184, 193},
    {ctl::kPlayList, 396, 39, 177, 101}, {ctl::kImport, 396, 21, 39, 14},
    {ctl::kClear, 435, 21, 37, 14},     {ctl::kPlay, 177, 301, 30, 26},
    {ctl::kStop, 208, 301, 30, 26},     {ctl::kPrev, 146, 301, 30, 26},
    {ctl::kNext, 239, 301, 30, 26},     {ctl::kPrint, 325, 301, 32, 26},
    {ctl::kCapture, 359, 301, 30, 26},  {ctl::kCycle, 115, 301, 31, 26},
    {ctl::kWaveform, 4, 343, 387, 92},  {ctl::kSeekBar, 5, 337, 386, 5},
    {ctl::kMinimise, 548, 3, 13, 12},   {ctl::kClose, 566, 3, 13, 12},
    {ctl::kVolumeDown, 13, 309, 14, 15}, {ctl::kVolumeUp, 69, 309, 17, 15},
    {ctl::kSpeedText, 428, 414, 31, 9},
};

int Horizontal(int units)
{
    return static_cast<int>(std::lround(units * 7.0 / 4.0));
}

int Vertical(int units)
{
    return static_cast<int>(std::lround(units * 14.0 / 8.0));
}

}  // namespace

QRect DialogUnitsToPixels(int x, int y, int width, int height)
{
    const int left = Horizontal(x);
    const int top = Vertical(y);
    return QRect(left, top, Horizontal(x + width) - left, Vertical(y + height) - top);
}

QRect ControlRect(int id)
{
    const int bar = id - ctl::kFirstVolumeBar;
    if (bar >= 0 && bar < ctl::kVolumeBars) {
        return DialogUnitsToPixels(29 + 4 * bar, 311, 2, 11);
    }
    for (const TemplateRect& r : kTemplate102) {
        if (r.id == id) {
            return DialogUnitsToPixels(r.x, r.y, r.width, r.height);
        }
    }
    return {};
}
