#pragma once

#include <optional>
#include <string>
#include <vector>

#include "telemetry/channel_names.h"
#include "telemetry/layout.h"

// One channel's file of a moment and how its own telemetry is read.
struct ChannelEntry
{
    Channel channel = Channel::Front;
    std::string filePath{};
    std::string sidecarPath{};
    Layout layout = Layout::None;
};

// One recording as the player lists it: its files, its time and how its telemetry is read.
// A moment of several channels is one recording: the fields above `channels` are its main
// channel's (the first), so that whatever knows one file goes on working.
struct RecordingEntry
{
    std::string filePath{};        // movie file, as given
    std::string displayName{};     // the name the list shows
    std::string sidecarPath{};     // sidecar .DAT file, empty when none
    std::string timeText{};        // "%02d:%02d:%02d %02d-%02d-%04d": h, min, s, month, day, year
    bool locked = false;           // a movie file read-only when listed or last toggled
    Layout layout = Layout::None;  // Sidecar when sidecarPath is set, else the movie's own
    std::vector<ChannelEntry> channels{};  // every channel, the main one first; may be empty
    bool markedEvent = false;              // in an event folder or named as an event (isEventPath)

    // Marked by the camera as an event: by folder or name, or locked, as cameras lock what
    // they mark.
    bool event() const { return markedEvent || locked; }
};

// The entry of a recording: its sidecar, layout, time and lock state read from disk.
// name empty: the last part of the path. ext: upper-case with its dot (".MOV").
RecordingEntry describeRecording(const std::string& path, const std::string& name,
                                 const std::string& ext);
// The entry of a moment: its main (first) channel described as above, with every channel's
// sidecar and layout; locked, or an event, when any channel's file is.
RecordingEntry describeMoment(const MomentFiles& moment, const std::string& name,
                              const std::string& ext);

// The channel whose telemetry a recording shows: the front one when it has a layout, else
// the first with one, else the main one. An index into `channels` (0 when there are none).
size_t telemetryChannel(const RecordingEntry& node);
// The recording as its one channel at `index` would be listed, for reading that channel's
// telemetry; the entry itself when it has no such channel.
RecordingEntry channelRecording(const RecordingEntry& node, size_t index);

// When the recording started, in seconds since 1970 UTC: the movie header's time, else its
// layout's first dated GPS fix; nothing when neither is known (what moments are paired by).
std::optional<double> recordingStartTime(const std::string& path);

// The sidecar .DAT of a movie, when it has one.
std::optional<std::string> findGpsFile(const std::string& path);
