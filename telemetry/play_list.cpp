#include "play_list.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "chip_detect.h"
#include "file_attributes.h"
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

std::string LockLabel(int locked, int rowNumber)
{
    return (locked ? "*" : " ") + std::to_string(rowNumber);
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

int CPlayList::AddFile(const std::string& path, const std::string& name, const std::string& ext)
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

    m_nodes.push_back(node);
    if (m_view)
        m_view->AppendRow(LockLabel(node.bLocked, m_view->GetRowCount() + 1), node.strFileName,
                          node.strTime);
    return 0;
}

int CPlayList::GetAt(int index, tagFileNode& out) const
{
    if (index < 0 || index >= GetCount())
        return -1;
    out = m_nodes[static_cast<size_t>(index)];
    return 0;
}

void CPlayList::RemoveAll()
{
    m_nodes.clear();
    if (m_view)
        m_view->DeleteAllRows();
}

int CPlayList::DeleteFileAt(int index)
{
    if (index < 0 || index >= GetCount())
        return -1;
    const tagFileNode& node = m_nodes[static_cast<size_t>(index)];

    // A locked recording is protected, as a read-only file is where the cameras come from.
    const auto attributes = ReadFileAttributes(node.strFilePath);
    if (attributes && attributes->bReadOnly)
        return -1;
    // A movie that is already gone lets its entry go; any other failure keeps it listed.
    if (!RemoveFile(node.strFilePath) && errno != ENOENT)
        return -1;
    if (!node.strGpsPath.empty())
        RemoveFile(node.strGpsPath);

    m_nodes.erase(m_nodes.begin() + index);
    if (m_view && index < m_view->GetRowCount())
        m_view->DeleteRow(index);
    return 0;
}

int CPlayList::ToggleLock(int index)
{
    if (index < 0 || index >= GetCount())
        return -1;
    tagFileNode& node = m_nodes[static_cast<size_t>(index)];
    const auto attributes = ReadFileAttributes(node.strFilePath);
    if (!attributes)
        return -1;
    const bool lock = !attributes->bReadOnly;
    // The entry follows the file only once the file has changed.
    if (!SetReadOnly(node.strFilePath, lock))
        return -1;

    node.bLocked = lock ? 1 : 0;
    if (m_view && index < m_view->GetRowCount())
        m_view->SetCellText(index, 0, LockLabel(node.bLocked, index + 1));
    return 0;
}

int CPlayList::FindGpsFile(const std::string& path, std::string& out)
{
    if (PathCharacterCount(path) <= kLongestUnsearchedPath)
        return 0;
    const PathParts parts = SplitPath(path);
    for (const std::string& candidate : {parts.folder + parts.baseName + ".DAT",
                                         parts.folder + "gps/" + parts.baseName + ".DAT"}) {
        if (IsRegularFile(candidate)) {
            out = candidate;
            return 0;
        }
    }
    return -1;
}
