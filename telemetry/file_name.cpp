#include "telemetry/file_name.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

std::string upperExtension(const std::string& path)
{
    return upper(std::filesystem::path(path).extension().string());
}

bool isRecordingExtension(const std::string& extension)
{
    const std::string ext = upper(extension);
    return ext == ".MOV" || ext == ".MP4" || ext == ".TS";
}
