#include "telemetry/recording_entry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <optional>

#include "telemetry/chip_detect.h"
#include "telemetry/file_attributes.h"
#include "telemetry/file_name.h"
#include "telemetry/layout_reader.h"
#include "telemetry/movie_header.h"

namespace {

struct PathParts
{
    std::string folder;    // up to and including the last '/'
    std::string baseName;  // file name without its extension
};

PathParts splitPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string fileName = path.substr(nameStart);
    return {path.substr(0, nameStart), fileName.substr(0, fileName.rfind('.'))};
}

std::string lastPathPart(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string formatTime(const MovieTime& t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d %02d-%02d-%04d", t.hour, t.minute, t.second,
                  t.month, t.day, t.year);
    return text;
}

std::optional<MovieTime> localTime(std::time_t time)
{
    std::tm local{};
    if (::localtime_r(&time, &local) == nullptr) {
        return std::nullopt;
    }
    return MovieTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
}

// Every spelling of the text in upper and lower case letters, the given one first.
std::vector<std::string> caseVariants(const std::string& text)
{
    std::vector<std::string> variants = {text};
    for (size_t i = 0; i < text.size(); ++i) {
        if (!std::isalpha(static_cast<unsigned char>(text[i]))) {
            continue;
        }
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
std::string firstRegularFile(const std::vector<std::string>& names)
{
    const auto found = std::find_if(names.begin(), names.end(), isRegularFile);
    return found == names.end() ? std::string() : *found;
}

// Sidecar names in the folder, exact spellings first: base.DAT, then any letter case of
// the extension.
std::vector<std::string> sidecarNames(const std::string& folder, const std::string& baseName)
{
    std::vector<std::string> names;
    for (const std::string& ext : caseVariants(".DAT")) {
        names.push_back(folder + baseName + ext);
    }
    return names;
}

// The movie header's creation time; failing that, the file's last-write time where the
// camera's clock is not in its log (a transport stream, a layout that says so), else the
// first dated fix. A recording without any of them shows no time at all.
void setRecordingTime(RecordingEntry& node, bool movie)
{
    const auto attributes = readFileAttributes(node.filePath);
    node.locked = attributes && attributes->bReadOnly;
    std::optional<MovieTime> time = movie ? readMovieTime(node.filePath) : std::nullopt;
    if (!time && attributes && (!movie || readerFor(node.layout).timeFromLastWrite())) {
        time = localTime(attributes->lastWrite);
    }
    if (!time && movie) {
        if (const std::optional<int64_t> utc = firstUtcMs(node.filePath, node.layout)) {
            time = utcTime(*utc);
        }
    }
    node.timeText = time ? formatTime(*time) : std::string();
}

}  // namespace

RecordingEntry describeRecording(const std::string& path, const std::string& name,
                                 const std::string& ext)
{
    RecordingEntry node;
    node.filePath = path;
    node.displayName = name.empty() ? lastPathPart(path) : name;
    if (std::optional<std::string> sidecar = findGpsFile(path)) {
        node.sidecarPath = std::move(*sidecar);
        node.layout = Layout::Sidecar;
    } else {
        node.layout = detectLayout(path);
    }

    // MP4 is the movie format of today's cameras: it keeps its time in the same header.
    setRecordingTime(node, ext == ".MOV" || ext == ".MP4");
    return node;
}

std::optional<double> recordingStartTime(const std::string& path)
{
    BinaryFile movie;
    if (!movie.open(path)) {
        return std::nullopt;
    }
    std::optional<int64_t> ms = readRecordingStartUtcMs(movie);
    if (!ms) {
        ms = firstUtcMs(path, detectLayout(path));
    }
    if (!ms) {
        return std::nullopt;
    }
    return static_cast<double>(*ms) / 1000.0;
}

std::optional<std::string> findGpsFile(const std::string& path)
{
    const PathParts parts = splitPath(path);
    // The exact spellings first, as the cameras write them; then, for a card copied with
    // FAT's upper-case names (GPS/, .dat), any letter case of the folder and extension.
    std::string found = firstRegularFile(
        {parts.folder + parts.baseName + ".DAT", parts.folder + "gps/" + parts.baseName + ".DAT"});
    if (found.empty()) {
        found = firstRegularFile(sidecarNames(parts.folder, parts.baseName));
    }
    for (const std::string& gps : caseVariants("gps")) {
        if (!found.empty()) {
            break;
        }
        if (isDirectory(parts.folder + gps)) {
            found = firstRegularFile(sidecarNames(parts.folder + gps + "/", parts.baseName));
        }
    }
    if (found.empty()) {
        return std::nullopt;
    }
    return found;
}
