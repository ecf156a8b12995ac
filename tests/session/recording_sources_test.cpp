#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <set>

#include "play_list.h"
#include "recording_sources.h"

namespace fs = std::filesystem;

namespace {

class RecordingSources : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::string Root(const std::string& name)
    {
        const std::string root = dir.path().toStdString() + "/" + name + "/";
        fs::create_directories(root);
        return root;
    }
    static void Touch(const std::string& path)
    {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "not a movie";
    }
    static std::vector<std::string> Names(const CPlayList& list)
    {
        std::vector<std::string> names;
        for (int i = 0; i < list.GetCount(); ++i) {
            tagFileNode node;
            list.GetAt(i, node);
            names.push_back(node.strFileName);
        }
        return names;
    }

    QTemporaryDir dir;
};

TEST_F(RecordingSources, EventLayoutWinsOverNumberedMediaOnTheSameCard)
{
    const std::string card = Root("card");
    Touch(card + "VIDEO/b.MOV");
    Touch(card + "EVENT/a.MOV");
    Touch(card + "DCIM/100MEDIA/c.MOV");
    CardRoot found;
    ASSERT_TRUE(FindCardRoot({card}, found));
    EXPECT_EQ(found.layout, CardLayout::Event);
    CPlayList list;
    ASSERT_TRUE(ImportCard(CFixedVolumes({card}), list));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b.MOV", "a.MOV"})) << "VIDEO first, then EVENT";
}

TEST_F(RecordingSources, NumberedMediaFoldersAreSearchedInOrderAndSortedByPath)
{
    const std::string card = Root("card");
    Touch(card + "DCIM/102MEDIA/zz.mov");
    Touch(card + "DCIM/100MEDIA/b.Mov");
    Touch(card + "DCIM/100MEDIA/a.mov");
    Touch(card + "DCIM/100MEDIA/notes.txt");
    Touch(card + "DCIM/100MEDIA/clip.TS");  // the card pattern is *.MOV only
    fs::create_directories(card + "DCIM/100MEDIA/sub.MOV");
    CPlayList list;
    ASSERT_TRUE(ImportCard(CFixedVolumes({card}), list));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a.MOV", "b.MOV", "zz.MOV"}));
}

TEST_F(RecordingSources, LaterEventCardReplacesAnEarlierNumberedCard)
{
    const std::string first = Root("first");
    const std::string second = Root("second");
    const std::string third = Root("third");
    Touch(first + "DCIM/104MEDIA/x.MOV");
    Touch(second + "VIDEO/y.MOV");
    Touch(third + "VIDEO/z.MOV");
    CardRoot found;
    ASSERT_TRUE(FindCardRoot({Root("empty"), first, second, third}, found));
    EXPECT_EQ(found.root, second);
    EXPECT_EQ(found.layout, CardLayout::Event);

    ASSERT_TRUE(FindCardRoot({first, Root("other")}, found));
    EXPECT_EQ(found.root, first) << "a numbered card stays when no later drive replaces it";
    EXPECT_EQ(found.layout, CardLayout::NumberedMedia);
}

TEST_F(RecordingSources, NoCardLeavesTheListAlone)
{
    CPlayList list;
    EXPECT_FALSE(ImportCard(CFixedVolumes({Root("plain"), "/nonexistent/volume/"}), list));
    EXPECT_FALSE(ImportCard(CFixedVolumes({}), list));
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(RecordingSources, FolderImportListsRegularRecordingsByName)
{
    const std::string folder = Root("folder");
    for (const char* name : {"e.MOV", "b.Mov", "noext", "c.ts", "d.jpg", "a.mov"}) {
        Touch(folder + name);
    }
    // Named like recordings, but reading them would block, loop or never end.
    fs::create_directories(folder + "dir.MOV");
    ASSERT_EQ(::mkfifo((folder + "fifo.MOV").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder + "zero.MOV");
    fs::create_symlink(folder + "loop.MOV", folder + "loop.MOV");
    fs::create_symlink(folder + "a.mov", folder + "link.MOV");  // a link to a recording is one
    CPlayList list;
    EXPECT_EQ(ImportFolder(folder, list), 5);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a.mov", "b.Mov", "c.ts", "e.MOV", "link.MOV"}));
    EXPECT_EQ(ImportFolder(folder, list), 5) << "importing twice lists everything twice";
    EXPECT_EQ(list.GetCount(), 10);
}

TEST_F(RecordingSources, MountTableGivesAutomountedAndRemovableVolumes)
{
    const std::string sys = Root("sys");
    fs::create_directories(sys + "sdb");
    fs::create_directories(sys + "sda");
    std::ofstream(sys + "sdb/removable") << "1\n";
    std::ofstream(sys + "sda/removable") << "0\n";
    const std::string table = dir.path().toStdString() + "/mounts";
    std::ofstream(table) << "/dev/sda1 / ext4 rw 0 0\n"
                            "/dev/sdb1 /mnt/card vfat rw 0 0\n"
                            "/dev/sdc1 /media/user/MY\\040CARD vfat rw 0 0\n"
                            "/dev/sdd1 /run/media/user/CAM exfat rw 0 0\n"
                            "proc /proc proc rw 0 0\n"
                            "garbage\n";
    const CMountedVolumes volumes(table, sys);
    EXPECT_EQ(volumes.Roots(),
              (std::vector<std::string>{"/mnt/card/", "/media/user/MY CARD/", "/run/media/user/CAM/"}));
    EXPECT_TRUE(CMountedVolumes(dir.path().toStdString() + "/missing", sys).Roots().empty());
}

TEST_F(RecordingSources, TodaysCardFoldersAndMp4FilesInAnyCase)
{
    const std::string card = Root("card");
    Touch(card + "DCIM/Movie/b.mp4");
    Touch(card + "DCIM/Photo/x.jpg");
    Touch(card + "Normal/Front/f.MP4");
    Touch(card + "normal/a.MOV");
    Touch(card + "RO/c.Mp4");
    Touch(card + "Rear/r.ts");  // the card patterns are *.MOV and *.MP4
    Touch(card + "Other/o.MP4");
    CardRoot found;
    ASSERT_TRUE(FindCardRoot({card}, found));
    EXPECT_EQ(found.layout, CardLayout::Modern);
    CPlayList list;
    ASSERT_TRUE(ImportCard(CFixedVolumes({card}), list));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b.MP4", "c.MP4", "a.MOV"}))
        << "DCIM/Movie, RO, normal; Normal/Front is two levels below the root";
}

}  // namespace
