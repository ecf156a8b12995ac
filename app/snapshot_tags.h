#pragma once

#include "playback/exif_tags.h"
#include "telemetry/speed_unit.h"

struct TelemetryEntry;
struct RecordingEntry;

// Where and when the shown frame was taken. When the entry's layout dates the fix: that
// UTC time for the GPS stamps, and the same moment in this computer's time zone, with its
// offset, as the frame's time. Else the recording's own start time plus the play position
// (the camera's clock, zone unknown). The entry's position, speed and heading; the layout.
SnapshotTags snapshotTagsFor(const RecordingEntry& recording, const TelemetryEntry* shown,
                             double positionSeconds, SpeedUnit unit);
