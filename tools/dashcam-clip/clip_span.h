#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "telemetry/channel_names.h"

// A WHEN of the command line: FILE@SECONDS, or a UTC time (2024-06-11T08:15:12Z).
struct When
{
    std::string file;  // empty for a time
    double seconds = 0.0;
    int64_t utcMs = 0;  // for a time
};

std::optional<When> parseWhen(const std::string& text, std::string& error);

// One channel's recordings of a span, in play order.
struct ChannelRecordings
{
    Channel channel = Channel::Front;
    std::vector<std::string> recordings;
};

// The recordings a span covers, channel by channel, and where it begins and ends in them.
struct ResolvedSpan
{
    std::vector<ChannelRecordings> channels;
    double in = 0.0;                    // in the first
    double out = 0.0;                   // in the last
    std::optional<int64_t> startUtcMs;  // of the in mark, when the first recording has a time
};

// Finds both ends among the moments of the movie recordings of the folder (FILE's folder,
// else `folder`) and takes the moments between them by trip order; both must lie in one
// trip, the end after the start. Of each moment it takes the wanted channel's file, or
// every channel's when none is wanted (channels in channel folders beside the folder
// too). Nothing with the reason otherwise.
std::optional<ResolvedSpan> resolveSpan(const When& from, const When& to, const std::string& folder,
                                        std::optional<Channel> wanted, std::string& error);
