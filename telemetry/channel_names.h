#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The camera channel a file holds. The letters are the ones cameras put in names and the
// ones the list shows.
enum class Channel : char { Front = 'F', Rear = 'R', Interior = 'I', Tele = 'T' };

// One channel's file of a moment.
struct ChannelFile
{
    Channel channel = Channel::Front;
    std::string path;
};

// The files a camera wrote for one moment, one per channel, front first, then rear,
// interior and tele. A single-channel recording is a moment of one front file.
struct MomentFiles
{
    std::vector<ChannelFile> channels;
};

// A file's start time in seconds since 1970 (UTC): the movie header's, else the first GPS
// fix's; nothing when neither is known.
using StartTimeOf = std::function<std::optional<double>(const std::string& path)>;

// What a file's name (or its channel folder) says of its moment.
struct ChannelName
{
    const char* family = "";  // the naming family's name, as the README's table has it
    Channel channel = Channel::Front;
    std::string momentKey;        // equal for every channel of one moment (beside the time)
    std::optional<int64_t> time;  // the camera's clock as named, counted as seconds since 1970
    bool event = false;           // an event (E) or parking (P) mark in the name
};

// The family the path's file name follows, or the channel folder it lies in; nothing for
// a name of no family (the fallback on start times needs the other files to decide).
std::optional<ChannelName> parseChannelName(const std::string& path);

// Groups the files into moments by the naming rules (one table of camera naming families,
// channel folders, and a fallback on start times), in the order of each moment's first file
// in `paths`. Every path ends up in exactly one moment.
std::vector<MomentFiles> groupMoments(const std::vector<std::string>& paths,
                                      const StartTimeOf& startOf);

// The whole moment of one file, as opened from the command line or a file manager: its
// channels in the same folder and in the sibling channel folders.
MomentFiles findMoment(const std::string& path, const StartTimeOf& startOf);
