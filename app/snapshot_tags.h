#pragma once

#include "exif_tags.h"
#include "speed_unit.h"

struct TelemetryEntry;
struct RecordingEntry;

// Where and when the shown frame was taken: the entry's UTC time when its layout dates
// the fix, else the recording's own start time plus the play position; the entry's
// position, speed and heading; the camera layout as the model.
SnapshotTags snapshotTagsFor(const RecordingEntry& recording, const TelemetryEntry* shown,
                             double positionSeconds, SpeedUnit unit);
