#include "session/recording_sources.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "session/playlist_catalogue.h"
#include "telemetry/file_name.h"

namespace fs = std::filesystem;

namespace {

bool isDirectory(const std::string& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

std::string withSlash(std::string path)
{
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

std::string upperCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// The mount table escapes blanks and a few other characters as \ooo.
std::string unescapeMountField(const std::string& field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) &&
            isOctalDigit(field[i + 2]) && isOctalDigit(field[i + 3])) {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// Folders today's cameras record into at a card's root (compared in upper case); every
// folder under DCIM counts too.
constexpr const char* kModernFolders[] = {"NORMAL", "EVENT", "MOVIE", "RO", "FRONT", "REAR"};
constexpr int kMaxDcimDepth = 3;

// The folders under a DCIM folder, to the depth the cameras use (links not followed).
void addDcimSubfolders(const std::string& dcim, std::vector<std::string>& folders)
{
    std::error_code ec;
    std::error_code typeError;
    fs::recursive_directory_iterator sub(dcim, fs::directory_options::skip_permission_denied, ec);
    for (fs::recursive_directory_iterator subEnd; !ec && sub != subEnd; sub.increment(ec)) {
        if (sub.depth() + 1 >= kMaxDcimDepth) {
            sub.disable_recursion_pending();
        }
        if (sub->is_directory(typeError) && !sub->is_symlink(typeError)) {
            folders.push_back(sub->path().string());
        }
    }
}

// The root's recording folders of today's cameras, in path order: DCIM and the folders
// under it, and the named folders in any letter case.
std::vector<std::string> modernFolders(const std::string& root)
{
    std::vector<std::string> folders;
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError) || it->is_symlink(typeError)) {
            continue;
        }
        const std::string upper = upperCase(it->path().filename().string());
        const std::string path = it->path().string();
        if (upper == "DCIM") {
            folders.push_back(path);
            addDcimSubfolders(path, folders);
        } else if (std::find(std::begin(kModernFolders), std::end(kModernFolders), upper) !=
                   std::end(kModernFolders)) {
            folders.push_back(path);
        }
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

bool isCardMovie(const std::string& path)
{
    const std::string ext = upperExtension(path);
    return ext == ".MOV" || ext == ".MP4";
}

// Regular files of a folder (or links to them) that are recordings, as (full path, file
// name), sorted by name. A FIFO, a device or a link loop named like a recording is not
// one: opening it could block or read forever.
std::vector<std::pair<std::string, std::string>> listRecordings(const std::string& folder)
{
    std::vector<std::pair<std::string, std::string>> found;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        return found;
    }
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            break;
        }
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (isRecordingExtension(upperExtension(name)) && it->is_regular_file(typeError)) {
            found.emplace_back(withSlash(folder) + name, name);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

MountedVolumes::MountedVolumes(std::string mountTable, std::string sysBlock)
    : m_mountTable(std::move(mountTable)), m_sysBlock(std::move(sysBlock))
{}

bool MountedVolumes::isRemovableDevice(const std::string& device) const
{
    if (!startsWith(device, "/dev/")) {
        return false;
    }
    std::string name = device.substr(5);
    // A partition (sdb1, mmcblk0p1) carries the flag on its parent disk.
    for (std::string candidate = name; !candidate.empty(); candidate.pop_back()) {
        std::ifstream flag(m_sysBlock + "/" + candidate + "/removable");
        int value = 0;
        if (flag >> value) {
            return value == 1;
        }
    }
    return false;
}

std::vector<std::string> MountedVolumes::rootPaths() const
{
    std::vector<std::string> roots;
    for (const MountEntry& mount : readMountTable(m_mountTable)) {
        const bool automounted =
            startsWith(mount.mountPoint, "/media/") || startsWith(mount.mountPoint, "/run/media/");
        if (automounted || isRemovableDevice(mount.source)) {
            roots.push_back(withSlash(mount.mountPoint));
        }
    }
    return roots;
}

std::vector<MountEntry> readMountTable(const std::string& path)
{
    std::vector<MountEntry> mounts;
    std::ifstream table(path);
    std::string line;
    while (std::getline(table, line)) {
        // id parent major:minor root MOUNT-POINT options [optional fields...] - type SOURCE ...
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;) {
            words.push_back(word);
        }
        const auto separator = std::find(words.begin(), words.end(), "-");
        if (words.size() < 5 || separator == words.end() || words.end() - separator < 3 ||
            separator - words.begin() < 6) {
            continue;
        }
        mounts.push_back({unescapeMountField(*(separator + 2)), unescapeMountField(words[4])});
    }
    return mounts;
}

bool findCardRoot(const std::vector<std::string>& roots, CardRoot& out)
{
    bool found = false;
    for (const std::string& raw : roots) {
        const std::string root = withSlash(raw);
        for (int i = 0; i <= 4; ++i) {
            if (isDirectory(root + "DCIM/10" + std::to_string(i) + "MEDIA")) {
                out = {root, CardLayout::NumberedMedia};
                found = true;
                break;
            }
        }
        if (isDirectory(root + "VIDEO")) {
            out = {root, CardLayout::Event};
            return true;
        }
        if (!found || out.root != root) {
            if (!modernFolders(root).empty()) {
                out = {root, CardLayout::Modern};
                found = true;
            }
        }
    }
    return found;
}

std::vector<std::string> cardFolders(const CardRoot& card)
{
    std::vector<std::string> candidates;
    if (card.layout == CardLayout::Event) {
        candidates = {card.root + "VIDEO", card.root + "EVENT"};
    } else {
        for (int i = 0; i <= 4; ++i) {
            candidates.push_back(card.root + "DCIM/10" + std::to_string(i) + "MEDIA");
        }
    }
    std::vector<std::string> folders;
    std::copy_if(candidates.begin(), candidates.end(), std::back_inserter(folders), isDirectory);
    if (card.layout != CardLayout::Modern) {
        return folders;
    }
    // Today's cameras: each folder once (a FAT card ignores letter case).
    for (const std::string& modern : modernFolders(card.root)) {
        const bool listed = std::any_of(folders.begin(), folders.end(), [&](const std::string& f) {
            std::error_code ec;
            return fs::equivalent(f, modern, ec);
        });
        if (!listed) {
            folders.push_back(modern);
        }
    }
    return folders;
}

bool holdsCardRecordings(const std::string& volume)
{
    CardRoot card;
    if (!findCardRoot({volume}, card)) {
        return false;
    }
    for (const std::string& folder : cardFolders(card)) {
        const auto found = listRecordings(folder);
        if (std::any_of(found.begin(), found.end(),
                        [](const auto& entry) { return isCardMovie(entry.first); })) {
            return true;
        }
    }
    return false;
}

namespace {

// The .MOV and .MP4 recordings of one card folder ("*.MOV" and "*.MP4" without regard to
// case), named with the upper-cased extension.
std::vector<ListedFile> cardFolderFiles(const std::string& folder)
{
    std::vector<ListedFile> files;
    for (const auto& [path, fileName] : listRecordings(folder)) {
        if (isCardMovie(path)) {
            const std::string ext = upperExtension(path);
            files.push_back({path, fs::path(fileName).stem().string() + ext, ext});
        }
    }
    return files;
}

// Every card folder's recordings at once, so that the channels of a moment kept in
// separate folders (Front/, Rear/) are listed as one.
std::vector<ListedFile> cardFiles(const std::vector<std::string>& folders)
{
    std::vector<ListedFile> files;
    for (const std::string& folder : folders) {
        std::vector<ListedFile> found = cardFolderFiles(folder);
        std::move(found.begin(), found.end(), std::back_inserter(files));
    }
    return files;
}

}  // namespace

int importCardFolder(const std::string& folder, PlaylistCatalogue& list)
{
    const std::vector<ListedFile> files = cardFolderFiles(folder);
    list.addFiles(files);
    return static_cast<int>(files.size());
}

bool importCard(const RemovableVolumes& volumes, PlaylistCatalogue& list)
{
    CardRoot card;
    if (!findCardRoot(volumes.rootPaths(), card)) {
        return false;
    }
    list.addFiles(cardFiles(cardFolders(card)));
    return true;
}

std::vector<std::string> chosenCardFolders(const std::string& folder)
{
    fs::path chosen(folder);
    if (!chosen.has_filename()) {
        chosen = chosen.parent_path();  // "DCIM/" names DCIM
    }
    std::vector<std::string> folders;
    if (upperCase(chosen.filename().string()) == "DCIM") {
        addDcimSubfolders(chosen.string(), folders);
        std::sort(folders.begin(), folders.end());
        return folders;
    }
    CardRoot card;
    if (findCardRoot({folder}, card)) {
        folders = cardFolders(card);
    }
    return folders;
}

int importFolder(const std::string& folder, PlaylistCatalogue& list)
{
    std::vector<ListedFile> files;
    for (const auto& [path, fileName] : listRecordings(folder)) {
        files.push_back({path, fileName, upperExtension(path)});
    }
    std::vector<ListedFile> card = cardFiles(chosenCardFolders(folder));
    std::move(card.begin(), card.end(), std::back_inserter(files));
    list.addFiles(files);
    return static_cast<int>(files.size());
}
