#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A clip's name without extension: clip_20240611_081512_F for a span that starts at that
// UTC time on the channel, else after its first recording's name (REC0001_clip_F).
std::string clipBaseName(const std::string& firstRecording, std::optional<int64_t> startUtcMs,
                         char channel);
