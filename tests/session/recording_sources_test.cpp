#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "session/playlist_catalogue.h"
#include "session/recording_sources.h"

namespace fs = std::filesystem;

namespace {

class RecordingSources : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::string root(const std::string& name)
    {
        const std::string root = dir.path().toStdString() + "/" + name + "/";
        fs::create_directories(root);
        return root;
    }
    static void touch(const std::string& path)
    {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "not a movie";
    }
    static std::vector<std::string> names(const PlaylistCatalogue& list)
    {
        std::vector<std::string> names;
        for (int i = 0; i < list.count(); ++i) {
            RecordingEntry node;
            list.entryAt(i, node);
            names.push_back(node.displayName);
        }
        return names;
    }
    // The card's layout as found, and the names imported from it in play order; nothing
    // when the card is not found or nothing is imported.
    struct ImportedCard
    {
        CardLayout layout;
        std::vector<std::string> names;
    };
    static std::optional<ImportedCard> importedCard(const std::string& card)
    {
        CardRoot found;
        PlaylistCatalogue list;
        if (!findCardRoot({card}, found) || !importCard(FixedVolumes({card}), list)) {
            return std::nullopt;
        }
        return ImportedCard{found.layout, names(list)};
    }

    QTemporaryDir dir;
};

TEST_F(RecordingSources, EventLayoutWinsOverNumberedMediaOnTheSameCard)
{
    const std::string card = root("card");
    touch(card + "VIDEO/b.MOV");
    touch(card + "EVENT/a.MOV");
    touch(card + "DCIM/100MEDIA/c.MOV");
    const std::optional<ImportedCard> imported = importedCard(card);
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported->layout, CardLayout::Event);
    EXPECT_EQ(imported->names, (std::vector<std::string>{"b.MOV", "a.MOV"}))
        << "VIDEO first, then EVENT";
}

TEST_F(RecordingSources, NumberedMediaFoldersAreSearchedInOrderAndSortedByPath)
{
    const std::string card = root("card");
    touch(card + "DCIM/102MEDIA/zz.mov");
    touch(card + "DCIM/100MEDIA/b.Mov");
    touch(card + "DCIM/100MEDIA/a.mov");
    touch(card + "DCIM/100MEDIA/notes.txt");
    touch(card + "DCIM/100MEDIA/clip.TS");  // the card pattern is *.MOV only
    fs::create_directories(card + "DCIM/100MEDIA/sub.MOV");
    PlaylistCatalogue list;
    ASSERT_TRUE(importCard(FixedVolumes({card}), list));
    EXPECT_EQ(names(list), (std::vector<std::string>{"a.MOV", "b.MOV", "zz.MOV"}));
}

TEST_F(RecordingSources, LaterEventCardReplacesAnEarlierNumberedCard)
{
    const std::string first = root("first");
    const std::string second = root("second");
    const std::string third = root("third");
    touch(first + "DCIM/104MEDIA/x.MOV");
    touch(second + "VIDEO/y.MOV");
    touch(third + "VIDEO/z.MOV");
    CardRoot found;
    ASSERT_TRUE(findCardRoot({root("empty"), first, second, third}, found));
    EXPECT_EQ(found.root, second);
    EXPECT_EQ(found.layout, CardLayout::Event);

    ASSERT_TRUE(findCardRoot({first, root("other")}, found));
    EXPECT_EQ(found.root, first) << "a numbered card stays when no later drive replaces it";
    EXPECT_EQ(found.layout, CardLayout::NumberedMedia);
}

// A card is offered only once its folders hold a recording: a camera's bare folders, or a
// picture in them, are no card yet.
TEST_F(RecordingSources, ACardHoldsRecordingsOnlyOnceAFolderHoldsOne)
{
    const std::string card = root("card");
    fs::create_directories(card + "DCIM/Movie/Front");
    touch(card + "DCIM/Movie/Front/photo.JPG");
    EXPECT_FALSE(holdsCardRecordings(card));
    touch(card + "DCIM/Movie/Front/20240611_081500.mp4");
    EXPECT_TRUE(holdsCardRecordings(card));
    EXPECT_FALSE(holdsCardRecordings(root("plain")));
}

TEST_F(RecordingSources, NoCardLeavesTheListAlone)
{
    PlaylistCatalogue list;
    EXPECT_FALSE(importCard(FixedVolumes({root("plain"), "/nonexistent/volume/"}), list));
    EXPECT_FALSE(importCard(FixedVolumes({}), list));
    EXPECT_EQ(list.count(), 0);
}

TEST_F(RecordingSources, FolderImportListsRegularRecordingsByName)
{
    const std::string folder = root("folder");
    for (const char* name : {"e.MOV", "b.Mov", "noext", "c.ts", "d.jpg", "a.mov"}) {
        touch(folder + name);
    }
    // Named like recordings, but reading them would block, loop or never end.
    fs::create_directories(folder + "dir.MOV");
    ASSERT_EQ(::mkfifo((folder + "fifo.MOV").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder + "zero.MOV");
    fs::create_symlink(folder + "loop.MOV", folder + "loop.MOV");
    const std::string elsewhere = root("elsewhere");
    touch(elsewhere + "x.mov");
    fs::create_symlink(elsewhere + "x.mov", folder + "link.MOV");  // a link to a recording is one
    PlaylistCatalogue list;
    EXPECT_EQ(importFolder(folder, list), 5);
    EXPECT_EQ(names(list),
              (std::vector<std::string>{"a.mov", "b.Mov", "c.ts", "e.MOV", "link.MOV"}));
    // Each recording once, however its path is spelt or reached.
    EXPECT_EQ(importFolder(root("other") + "../folder/.", list), 5) << "found, but listed";
    EXPECT_EQ(importFolder(elsewhere, list), 1);
    EXPECT_EQ(list.count(), 5);
}

// A card's root or its DCIM chosen in the import dialog is walked as card discovery walks
// a card; a card folder chosen alone gives its own recordings.
TEST_F(RecordingSources, AChosenCardRootOrDcimImportsTheCardsFolders)
{
    const std::string card = root("card");
    touch(card + "DCIM/Movie/a_F.MP4");
    touch(card + "DCIM/Movie/Parking/p_R.MP4");
    touch(card + "RO/r_F.MP4");
    touch(card + "Event/e_R.MP4");
    touch(card + "Other/o.MP4");
    const auto imported = [](const std::string& folder) {
        PlaylistCatalogue list;
        const int found = importFolder(folder, list);
        EXPECT_EQ(found, list.count()) << folder;
        return names(list);
    };
    EXPECT_EQ(imported(card),
              (std::vector<std::string>{"a_F.MP4", "p_R.MP4", "e_R.MP4", "r_F.MP4"}));
    EXPECT_EQ(imported(card + "DCIM/"), (std::vector<std::string>{"a_F.MP4", "p_R.MP4"}));
    EXPECT_EQ(imported(card + "RO"), (std::vector<std::string>{"r_F.MP4"}));
    EXPECT_EQ(imported(card + "Other/.."), imported(card));
    EXPECT_TRUE(imported(root("empty")).empty());
}

TEST_F(RecordingSources, MountTableGivesAutomountedAndRemovableVolumes)
{
    const std::string sys = root("sys");
    fs::create_directories(sys + "sdb");
    fs::create_directories(sys + "sda");
    std::ofstream(sys + "sdb/removable") << "1\n";
    std::ofstream(sys + "sda/removable") << "0\n";
    const std::string table = dir.path().toStdString() + "/mountinfo";
    std::ofstream(table) << "21 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                            "30 21 8:17 / /mnt/card rw - vfat /dev/sdb1 rw\n"
                            "31 21 8:33 / /media/user/MY\\040CARD rw shared:5 master:2 - vfat "
                            "/dev/sdc1 rw\n"
                            "32 21 8:49 / /run/media/user/CAM rw - exfat /dev/sdd1 rw\n"
                            "22 21 0:5 / /proc rw,nosuid shared:12 - proc proc rw\n"
                            "33 21 8:65 / /mnt/stick rw - vfat\n"
                            "garbage\n";
    const MountedVolumes volumes(table, sys);
    EXPECT_EQ(volumes.rootPaths(), (std::vector<std::string>{"/mnt/card/", "/media/user/MY CARD/",
                                                             "/run/media/user/CAM/"}));
    EXPECT_TRUE(MountedVolumes(dir.path().toStdString() + "/missing", sys).rootPaths().empty());
}

TEST_F(RecordingSources, TodaysCardFoldersAndMp4FilesInAnyCase)
{
    const std::string card = root("card");
    touch(card + "DCIM/Movie/b.mp4");
    touch(card + "DCIM/Photo/x.jpg");
    touch(card + "Normal/Front/f.MP4");
    touch(card + "normal/a.MOV");
    touch(card + "RO/c.Mp4");
    touch(card + "Rear/r.ts");  // the card patterns are *.MOV and *.MP4
    touch(card + "Other/o.MP4");
    const std::optional<ImportedCard> imported = importedCard(card);
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported->layout, CardLayout::Modern);
    EXPECT_EQ(imported->names, (std::vector<std::string>{"b.MP4", "c.MP4", "a.MOV"}))
        << "DCIM/Movie, RO, normal; Normal/Front is two levels below the root";
}

// A moment's channels in the card's Front and Rear folders, and in one movie folder, are one
// row each; a channel whose partner is gone is a row of its own.
TEST_F(RecordingSources, TheChannelsOfAMomentOnACardAreOneRow)
{
    const std::string card = root("card");
    touch(card + "Front/REC0001.MP4");
    touch(card + "Rear/REC0001.MP4");
    touch(card + "Rear/REC0002.MP4");
    touch(card + "DCIM/Movie/2026_0820_045542_0001F.MP4");
    touch(card + "DCIM/Movie/2026_0820_045542_0001R.MP4");
    PlaylistCatalogue list;
    ASSERT_TRUE(importCard(FixedVolumes({card}), list));
    std::vector<std::string> letters;
    for (int i = 0; i < list.count(); ++i) {
        std::string row;
        for (const ChannelEntry& channel : list.entryAt(i).channels) {
            row += static_cast<char>(channel.channel);
        }
        letters.push_back(list.entryAt(i).displayName + " " + row);
    }
    EXPECT_EQ(letters, (std::vector<std::string>{"2026_0820_045542_0001F.MP4 FR", "REC0001.MP4 FR",
                                                 "REC0002.MP4 R"}));
    EXPECT_EQ(list.entryAt(1).filePath, card + "Front/REC0001.MP4");
}

}  // namespace
