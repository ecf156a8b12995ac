#include "recording_entry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>

#include "chip_detect.h"
#include "file_attributes.h"
#include "file_name.h"
#include "layout_reader.h"

namespace {

// Paths this short are not searched for a sidecar (counted in characters, not bytes).
constexpr size_t kLongestUnsearchedPath = 7;

// A broken-down time with every field zero, as the time text of a movie without one shows it.
constexpr MovieTime kZeroTime {1900, 1, 0, 0, 0, 0};

struct PathParts {
    std::string folder;    // up to and including the last '/'
    std::string baseName;  // file name without its extension
};

PathParts SplitPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string fileName = path.substr(nameStart);
    return {path.substr(0, nameStart), fileName.substr(0, fileName.rfind('.'))};
}

std::string LastPathPart(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FormatTime(const MovieTime& t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d %02d-%02d-%04d", t.hour, t.minute, t.second,
                  t.month, t.day, t.year);
    return text;
}

MovieTime LocalTime(std::time_t time)
{
    std::tm local {};
    if (::localtime_r(&time, &local) == nullptr)
        return kZeroTime;
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

// Every spelling of the text in upper and lower case letters, the given one first.
std::vector<std::string> CaseVariants(const std::string& text)
{
    std::vector<std::string> variants = {text};
    for (size_t i = 0; i < text.size(); ++i) {
        if (!std::isalpha(static_cast<unsigned char>(text[i])))
            continue;
        const size_t count = variants.size();
        for (size_t v = 0; v < count; ++v) {
            std::string flipped = variants[v];
            const auto c = static_cast<unsigned char>(flipped[i]);
            flipped[i] = static_cast<char>(std::isupper(c) ? std::tolower(c) : std::toupper(c));
            variants.push_back(flipped);
        }
    }
    return variants;
}

// The first of the names that is a regular file, or empty.
std::string FirstRegularFile(const std::vector<std::string>& names)
{
    const auto found = std::find_if(names.begin(), names.end(), IsRegularFile);
    return found == names.end() ? std::string() : *found;
}

// Sidecar names in the folder, exact spellings first: base.DAT, then any letter case of
// the extension.
std::vector<std::string> SidecarNames(const std::string& folder, const std::string& baseName)
{
    std::vector<std::string> names;
    for (const std::string& ext : CaseVariants(".DAT"))
        names.push_back(folder + baseName + ext);
    return names;
}

// Movies whose header time is not trusted take the file's last-write time instead.
void SetTimeFromFile(tagFileNode& node)
{
    if (const auto attributes = ReadFileAttributes(node.strFilePath)) {
        node.strTime = FormatTime(LocalTime(attributes->lastWrite));
        node.bLocked = attributes->bReadOnly ? 1 : 0;
    }
}

// The movie header's creation time; failing that, the first dated fix of a layout that
// dates its fixes.
void SetTimeFromMovieHeader(tagFileNode& node)
{
    std::optional<MovieTime> time = ReadMovieTime(node.strFilePath);
    if (!time) {
        if (const std::optional<int64_t> utc = FirstUtcMs(node.strFilePath, node.layout))
            time = UtcTime(*utc);
    }
    node.strTime = FormatTime(time.value_or(kZeroTime));
    const auto attributes = ReadFileAttributes(node.strFilePath);
    node.bLocked = attributes && attributes->bReadOnly ? 1 : 0;
}

}  // namespace

tagFileNode DescribeRecording(const std::string& path, const std::string& name,
                              const std::string& ext)
{
    tagFileNode node;
    node.strFilePath = path;
    node.strFileName = name.empty() ? LastPathPart(path) : name;
    if (FindGpsFile(path, node.strGpsPath) != 0)
        node.layout = DetectLayout(path);
    else if (!node.strGpsPath.empty())
        node.layout = Layout::Sidecar;

    // MP4 is the movie format of today's cameras: it keeps its time in the same header.
    const bool movie = ext == ".MOV" || ext == ".MP4";
    if (!movie || node.layout == Layout::NT96650)
        SetTimeFromFile(node);
    else
        SetTimeFromMovieHeader(node);
    return node;
}

int FindGpsFile(const std::string& path, std::string& out)
{
    if (PathCharacterCount(path) <= kLongestUnsearchedPath)
        return 0;
    const PathParts parts = SplitPath(path);
    // The exact spellings first, as the cameras write them; then, for a card copied with
    // FAT's upper-case names (GPS/, .dat), any letter case of the folder and extension.
    std::string found = FirstRegularFile({parts.folder + parts.baseName + ".DAT",
                                          parts.folder + "gps/" + parts.baseName + ".DAT"});
    if (found.empty())
        found = FirstRegularFile(SidecarNames(parts.folder, parts.baseName));
    for (const std::string& gps : CaseVariants("gps")) {
        if (!found.empty())
            break;
        if (IsDirectory(parts.folder + gps))
            found = FirstRegularFile(SidecarNames(parts.folder + gps + "/", parts.baseName));
    }
    if (found.empty())
        return -1;
    out = found;
    return 0;
}
