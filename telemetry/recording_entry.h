#pragma once

#include <optional>
#include <string>

#include "telemetry/layout.h"

// One recording as the player lists it: its files, its time and how its telemetry is read.
struct RecordingEntry
{
    std::string filePath{};        // movie file, as given
    std::string displayName{};     // the name the list shows
    std::string sidecarPath{};     // sidecar .DAT file, empty when none
    std::string timeText{};        // "%02d:%02d:%02d %02d-%02d-%04d": h, min, s, month, day, year
    bool locked = false;           // movie file read-only when listed or last toggled
    Layout layout = Layout::None;  // Sidecar when sidecarPath is set, else the movie's own
};

// The entry of a recording: its sidecar, layout, time and lock state read from disk.
// name empty: the last part of the path. ext: upper-case with its dot (".MOV").
RecordingEntry describeRecording(const std::string& path, const std::string& name,
                                 const std::string& ext);

// When the recording started, in seconds since 1970 UTC: the movie header's time, else its
// layout's first dated GPS fix; nothing when neither is known (what moments are paired by).
std::optional<double> recordingStartTime(const std::string& path);

// The sidecar .DAT of a movie, when it has one.
std::optional<std::string> findGpsFile(const std::string& path);
