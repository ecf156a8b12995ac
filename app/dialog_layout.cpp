#include "dialog_layout.h"

#include <utility>

namespace {

constexpr std::pair<int, QRect> kPlainControls[] = {
    {ctl::kVideo, skin::kVideo},       {ctl::kMapHost, skin::kMapHost},
    {ctl::kPlayList, skin::kPlayList}, {ctl::kWaveform, skin::kWaveform},
    {ctl::kSeekBar, skin::kSeekBar},   {ctl::kSpeedText, skin::kSpeedText},
};

constexpr std::pair<int, skin::Button> kButtons[] = {
    {ctl::kCycle, skin::Button::Cycle},       {ctl::kPrev, skin::Button::Prev},
    {ctl::kPlay, skin::Button::Play},         {ctl::kStop, skin::Button::Stop},
    {ctl::kNext, skin::Button::Next},         {ctl::kPrint, skin::Button::Print},
    {ctl::kCapture, skin::Button::Capture},   {ctl::kImport, skin::Button::Import},
    {ctl::kClear, skin::Button::Clear},       {ctl::kVolumeDown, skin::Button::VolumeDown},
    {ctl::kVolumeUp, skin::Button::VolumeUp}, {ctl::kMinimise, skin::Button::Minimise},
    {ctl::kClose, skin::Button::Close},
};

}  // namespace

QRect controlRect(int id)
{
    const int bar = id - ctl::kFirstVolumeBar;
    if (bar >= 0 && bar < ctl::kVolumeBars) {
        return skin::volumeBar(bar);
    }
    for (const auto& [control, rect] : kPlainControls) {
        if (control == id) {
            return rect;
        }
    }
    for (const auto& [control, button] : kButtons) {
        if (control == id) {
            return skin::layoutRect(button);
        }
    }
    return {};
}
