#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "clip/clip_plan.h"
#include "telemetry/speed_unit.h"
#include "telemetry/telemetry_table.h"

// One recording's telemetry as the clip shows it.
struct RecordingTelemetry
{
    std::string name;  // the recording's file name
    TelemetryTable table;
    std::optional<int64_t> startUtcMs;  // the movie header's start
};

// The recording's telemetry by its layout's reader (an empty table when it has none).
RecordingTelemetry readRecordingTelemetry(const std::string& path, double videoSeconds);

// The text of the cue at a recording's time: UTC time, speed, position and heading, each
// left out when the log does not have it.
std::string cueText(const RecordingTelemetry& recording, double seconds, SpeedUnit unit);

// What the picture shows at a time of the clip when the telemetry is drawn into it.
struct OverlayText
{
    std::string text;  // the cue's text: time, speed, position, heading
    bool hasAxes = false;
    float gX = 0.0f;  // G-sensor axes in g
    float gY = 0.0f;
    float gZ = 0.0f;
};

// What the picture shows at a time of the clip: the cue's text and the G-sensor axes of
// that tenth of a second.
OverlayText overlayAt(const ClipPlan& plan, const std::vector<RecordingTelemetry>& telemetry,
                      SpeedUnit unit, double clipSeconds);

// A timed-text (tx3g) track of one cue per second of the clip, the cue of each second
// taken from the recording shown at its start.
ClipTrack textTrack(const ClipPlan& plan, const std::vector<RecordingTelemetry>& telemetry,
                    SpeedUnit unit);

// The clip's telemetry as GPX (one track, one segment per recording) and CSV: the logged
// samples of the seconds the clip shows.
std::string clipGpx(const ClipPlan& plan, const std::vector<RecordingTelemetry>& telemetry,
                    const std::string& name);
std::string clipCsv(const ClipPlan& plan, const std::vector<RecordingTelemetry>& telemetry);
