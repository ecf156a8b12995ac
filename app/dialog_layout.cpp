#include "app/dialog_layout.h"

#include <utility>
#include <vector>

namespace {

std::vector<std::pair<QString, QRect>> controlPlaces()
{
    std::vector<std::pair<QString, QRect>> places = {
        {ctl::kVideo, skin::kVideo},
        {ctl::kMapHost, skin::kMapHost},
        {ctl::kPlayList, skin::kPlayList},
        {ctl::kWaveform, skin::kWaveform},
        {ctl::kSeekBar, skin::kSeekBar},
        {ctl::kSpeedText, skin::kSpeedText},
        {ctl::kCycle, skin::layoutRect(skin::Button::Cycle)},
        {ctl::kPrev, skin::layoutRect(skin::Button::Prev)},
        {ctl::kPlay, skin::layoutRect(skin::Button::Play)},
        {ctl::kStop, skin::layoutRect(skin::Button::Stop)},
        {ctl::kNext, skin::layoutRect(skin::Button::Next)},
        {ctl::kPrint, skin::layoutRect(skin::Button::Print)},
        {ctl::kCapture, skin::layoutRect(skin::Button::Capture)},
        {ctl::kImport, skin::layoutRect(skin::Button::Import)},
        {ctl::kClear, skin::layoutRect(skin::Button::Clear)},
        {ctl::kVolumeDown, skin::layoutRect(skin::Button::VolumeDown)},
        {ctl::kVolumeUp, skin::layoutRect(skin::Button::VolumeUp)},
        {ctl::kMinimise, skin::layoutRect(skin::Button::Minimise)},
        {ctl::kClose, skin::layoutRect(skin::Button::Close)},
    };
    for (int bar = 0; bar < ctl::kVolumeBars; ++bar) {
        places.emplace_back(ctl::volumeBar(bar), skin::volumeBar(bar));
    }
    return places;
}

}  // namespace

QRect controlRect(const QString& name)
{
    for (const auto& [control, rect] : controlPlaces()) {
        if (control == name) {
            return rect;
        }
    }
    return {};
}

QStringList placedControls()
{
    QStringList names;
    for (const auto& place : controlPlaces()) {
        names << place.first;
    }
    return names;
}
