#include "telemetry/event_marks.h"
#include "telemetry/file_name.h"
#include "telemetry/recording_entry.h"

#include <gtest/gtest.h>

namespace {

TEST(FileName, UpperExtensionOfTheNameOnly)
{
    EXPECT_EQ(upperExtension("/x/clip.mov"), ".MOV");
    EXPECT_EQ(upperExtension("/x/clip.tar.Ts"), ".TS");
    EXPECT_EQ(upperExtension("/x.d/clip"), "") << "a dot in a folder name";
    EXPECT_EQ(upperExtension("/a/.MOV"), "") << "a hidden file, not a recording";
    EXPECT_EQ(upperExtension("clip."), ".");
}

TEST(FileName, RecordingExtensionsInAnyCase)
{
    EXPECT_TRUE(isRecordingExtension(".MOV"));
    EXPECT_TRUE(isRecordingExtension(".mov"));
    EXPECT_TRUE(isRecordingExtension(".Ts"));
    EXPECT_TRUE(isRecordingExtension(".mP4"));
    EXPECT_FALSE(isRecordingExtension(".M4V"));
    EXPECT_FALSE(isRecordingExtension(""));
    EXPECT_FALSE(isRecordingExtension(upperExtension("/a/.MOV")));
}

TEST(EventMarks, EventFoldersAndEventLettersInAnyCase)
{
    for (const char* path :
         {"/card/EVENT/20240611_081500.MOV", "/card/DCIM/Event/a.MP4", "/card/ro/a.mp4",
          "/card/evt_rec/a.MP4", "/card/PARKING/a.MP4", "/card/Event/Front/a.MP4",
          "/card/Normal/20240611_081500_EF.mp4", "/card/Normal/2024_0611_081500_0001EF.MP4",
          "/card/Normal/20240611_081500_PR.MOV", "/c/20240611_081500_ef.mp4", "EVENT/a.MOV"}) {
        EXPECT_TRUE(isEventPath(path)) << path;
    }
    for (const char* path :
         {"/card/Normal/20240611_081500_NF.mp4", "/card/Normal/20240611_081500_F.MP4",
          "/card/Normal/CHEF.MP4", "/card/Front/a.MP4", "/card/EVENT.bak/a.MOV",
          "/media/ro/DCIM/100MEDIA/a.MOV", "/card/EVENT/x/y/a.MOV", "/card/event", "EF.MP4", ""}) {
        EXPECT_FALSE(isEventPath(path)) << path;
    }

    // The entry's mark: by name, or locked.
    RecordingEntry entry;
    EXPECT_FALSE(entry.event());
    entry.locked = true;
    EXPECT_TRUE(entry.event());
    EXPECT_TRUE(describeRecording("/nowhere/EVENT/a.MOV", "", ".MOV").event());
    EXPECT_FALSE(describeRecording("/nowhere/Normal/a.MOV", "", ".MOV").event());
}

}  // namespace
