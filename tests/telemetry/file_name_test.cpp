#include "telemetry/file_name.h"

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

}  // namespace
