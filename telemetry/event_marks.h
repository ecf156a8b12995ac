#pragma once

#include <string>

// Whether the camera marked the recording at path as an event by where or how it named
// it: a file in an event folder (EVENT/, Event/, RO/, evt_rec/, Parking/, in any letter
// case, or a channel folder such as Front/ inside one), or a name of one of the camera
// naming families with an event (E) or parking (P) mark before its channel letter
// ("..._EF.mp4", "..._0001EF.MP4"; see channel_names.h). Locked files are events too; the
// entry knows that (RecordingEntry::event).
bool isEventPath(const std::string& path);
