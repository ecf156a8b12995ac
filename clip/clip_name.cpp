#include "clip/clip_name.h"

#include <ctime>
#include <filesystem>

std::string clipBaseName(const std::string& firstRecording, std::optional<int64_t> startUtcMs,
                         char channel)
{
    const std::string suffix = std::string("_") + channel;
    if (!startUtcMs) {
        return std::filesystem::path(firstRecording).stem().string() + "_clip" + suffix;
    }
    const std::time_t seconds = static_cast<std::time_t>(*startUtcMs / 1000);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char text[64];
    std::strftime(text, sizeof text, "clip_%Y%m%d_%H%M%S", &tm);
    return text + suffix;
}
