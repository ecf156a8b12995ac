#pragma once

#include <memory>
#include <string>
#include <vector>

class PlaylistCatalogue;

// The mounted volumes of removable devices, in mount order; each root ends with '/'.
class RemovableVolumes
{
public:
    virtual ~RemovableVolumes() = default;
    virtual std::vector<std::string> rootPaths() const = 0;
};

// One mount of the kernel's mount table: what is mounted, and where.
struct MountEntry
{
    std::string source;  // a device such as /dev/sdb1, or a name such as tmpfs
    std::string mountPoint;
};

// The mounts of a table in the kernel's mountinfo format, in mount order, with the escaped
// blanks of paths restored; nothing when it cannot be read. The one reader of mount facts.
std::vector<MountEntry> readMountTable(const std::string& path);

// Volumes from the mount table: a mount under /media or /run/media (desktop automounter),
// or one whose block device carries the sysfs removable flag.
class MountedVolumes : public RemovableVolumes
{
public:
    explicit MountedVolumes(std::string mountTable = "/proc/self/mountinfo",
                            std::string sysBlock = "/sys/block");
    std::vector<std::string> rootPaths() const override;

private:
    bool isRemovableDevice(const std::string& device) const;

    std::string m_mountTable;
    std::string m_sysBlock;
};

// A fixed list of roots (tests, or folders standing for cards).
class FixedVolumes : public RemovableVolumes
{
public:
    explicit FixedVolumes(std::vector<std::string> roots) : m_roots(std::move(roots)) {}
    std::vector<std::string> rootPaths() const override { return m_roots; }

private:
    std::vector<std::string> m_roots;
};

enum class CardLayout { Event, NumberedMedia, Modern };

struct CardRoot
{
    std::string root;  // ends with '/'
    CardLayout layout = CardLayout::Event;
};

// The first volume with a VIDEO folder (event layout) ends the scan; a DCIM/10xMEDIA folder,
// or else a folder of today's cameras (DCIM, Normal, Event, Movie, RO, Front, Rear in any
// letter case), makes a volume the candidate until a later volume replaces it.
bool findCardRoot(const std::vector<std::string>& roots, CardRoot& out);

// The folders of the card's layout that exist, in search order; for today's cameras DCIM
// and every folder under it (three levels deep), Normal, Event, Movie, RO, Front and Rear,
// in path order, each folder once.
std::vector<std::string> cardFolders(const CardRoot& card);

// A camera's card at the volume whose folders hold at least one recording, not only the
// folders a camera makes.
bool holdsCardRecordings(const std::string& volume);

// Adds the .MOV and .MP4 recordings of one card folder, sorted by full path, named with the
// upper-cased extension. Returns the number found there, listed before or not.
int importCardFolder(const std::string& folder, PlaylistCatalogue& list);
// Looks for a card over the given volumes and imports it; false when none was found.
bool importCard(const RemovableVolumes& volumes, PlaylistCatalogue& list);
// The card folders a chosen folder holds, as card discovery finds them: under a DCIM
// folder, every folder to the cameras' depth; under a card's root, its layout's folders.
std::vector<std::string> chosenCardFolders(const std::string& folder);
// Adds the recordings of a chosen folder sorted by file name (the cameras' names carry the
// time), named as on disk, then those of the card folders it holds (a card's root or its
// DCIM chosen). Returns the number found, listed before or not.
int importFolder(const std::string& folder, PlaylistCatalogue& list);
