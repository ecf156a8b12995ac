#include "telemetry/channel_names.h"

#include <map>

#include <gtest/gtest.h>

#include "telemetry/recording_entry.h"
#include "tests/telemetry/temp_dir.h"

namespace {

// A moment as "F path R path ...", channels in the moment's order.
std::string describe(const MomentFiles& moment)
{
    std::string text;
    for (const ChannelFile& file : moment.channels) {
        text += (text.empty() ? "" : " ") + std::string(1, static_cast<char>(file.channel)) + " " +
                file.path;
    }
    return text;
}

std::vector<std::string> describe(const std::vector<MomentFiles>& moments)
{
    std::vector<std::string> texts;
    for (const MomentFiles& moment : moments) {
        texts.push_back(describe(moment));
    }
    return texts;
}

const StartTimeOf kNoStartTimes = [](const std::string&) { return std::nullopt; };

TEST(ChannelNames, EveryFamilyReadsItsChannelTimeAndMark)
{
    struct Row
    {
        const char* path;
        const char* family;
        Channel channel;
        int64_t time;  // seconds since 1970 of the named clock (date -u -d ... +%s)
        bool event;
    };
    const Row rows[] = {
        {"/c/DCIM/Movie/2026_0820_045542_0001F.MP4", "dated sequence", Channel::Front, 1787201742,
         false},
        {"/c/DCIM/Movie/RO/2026_0820_045542_0001ER.MP4", "dated sequence", Channel::Rear,
         1787201742, true},
        {"/c/Movie/Parking/2026_0820_045542_PI.MP4", "dated sequence", Channel::Interior,
         1787201742, true},
        {"/c/2026_0820_045542_F.MP4", "dated sequence", Channel::Front, 1787201742, false},
        {"/c/20260820_045542_0001T.mp4", "dated sequence", Channel::Tele, 1787201742, false},
        {"/c/2024_0229_235959_0007.MP4", "dated sequence", Channel::Front, 1709251199, false},
        {"/c/Record/20260820_045542_NF.mp4", "mode letter", Channel::Front, 1787201742, false},
        {"/c/Record/20260820_045542_MI.mp4", "mode letter", Channel::Interior, 1787201742, false},
        {"/c/Record/20260820_045542_ER.mp4", "mode letter", Channel::Rear, 1787201742, true},
        {"/c/250107_183005_012_RL.MP4", "short date", Channel::Rear, 1736274605, false},
        {"/c/250107_183005_012_fh.mp4", "short date", Channel::Front, 1736274605, false},
        {"/c/2025_0107_183005_012B.MP4", "A/B", Channel::Rear, 1736274605, false},
        {"/c/2025_0107_183005_012A.MP4", "A/B", Channel::Front, 1736274605, false},
    };
    for (const Row& row : rows) {
        const std::optional<ChannelName> name = parseChannelName(row.path);
        ASSERT_TRUE(name) << row.path;
        EXPECT_STREQ(name->family, row.family) << row.path;
        EXPECT_EQ(name->channel, row.channel) << row.path;
        EXPECT_EQ(name->time, row.time) << row.path;
        EXPECT_EQ(name->event, row.event) << row.path;
    }
    // Channel folders in any case name the channel of a name of no family.
    EXPECT_EQ(parseChannelName("/c/INTERIOR/REC0001.MP4")->channel, Channel::Interior);
    EXPECT_EQ(parseChannelName("/c/rear/REC0001.MP4")->channel, Channel::Rear);
    for (const char* path : {"/c/REC0001.MP4", "/c/2026_1320_045542_0001F.MP4",
                             "/c/2025_0229_120000_0001F.MP4", "/c/2026_0820_245542_0001F.MP4",
                             "/c/2026_0820_045542_0001X.MP4", "/c/20260820_045542_XF.mp4"}) {
        EXPECT_FALSE(parseChannelName(path)) << path;
    }
}

TEST(ChannelNames, NamedChannelsPairWithinASecondOfTheirFamilyAndTree)
{
    const std::vector<std::string> paths = {
        "/c/DCIM/Movie/2026_0820_045559_0001F.MP4",
        "/c/DCIM/Movie/2026_0820_045600_0001R.MP4",  // a second later, over the minute
        "/c/DCIM/Movie/RO/2026_0820_045559_0001I.MP4",
        "/c/DCIM/Movie/2026_0820_045601_0002R.MP4",  // two seconds after its front
        "/c/DCIM/Movie/2026_0820_045559_0002F.MP4",
        "/c/DCIM/Movie/20260820_045559_EF.mp4",  // another camera's family in the same folder
        "/c/DCIM/Movie/20260820_045559_ER.mp4",
        "/d/DCIM/Movie/2026_0820_045559_0001R.MP4",  // another card
        "/c/250107_183005_012_RL.MP4",
        "/c/250107_183005_012_FH.MP4",
        "/c/2025_0107_183005_013B.MP4",
        "/c/2025_0107_183005_013A.MP4",
        "/c/2026_0820_050042_F.MP4",  // without a sequence number: only its time pairs it
        "/c/2026_0820_050043_R.MP4",
        "/c/2026_0820_050142_F.MP4",
        // Each named at its own start, a second after the one before: one moment in any order.
        "/e/2026_0820_045602_0001I.MP4",
        "/e/2026_0820_045600_0001F.MP4",
        "/e/2026_0820_045601_0001R.MP4",
    };
    const std::vector<std::string> expected = {
        "F /c/DCIM/Movie/2026_0820_045559_0001F.MP4 R /c/DCIM/Movie/2026_0820_045600_0001R.MP4 "
        "I /c/DCIM/Movie/RO/2026_0820_045559_0001I.MP4",
        "R /c/DCIM/Movie/2026_0820_045601_0002R.MP4",
        "F /c/DCIM/Movie/2026_0820_045559_0002F.MP4",
        "F /c/DCIM/Movie/20260820_045559_EF.mp4 R /c/DCIM/Movie/20260820_045559_ER.mp4",
        "R /d/DCIM/Movie/2026_0820_045559_0001R.MP4",
        "F /c/250107_183005_012_FH.MP4 R /c/250107_183005_012_RL.MP4",
        "F /c/2025_0107_183005_013A.MP4 R /c/2025_0107_183005_013B.MP4",
        "F /c/2026_0820_050042_F.MP4 R /c/2026_0820_050043_R.MP4",
        "F /c/2026_0820_050142_F.MP4",
        "F /e/2026_0820_045600_0001F.MP4 R /e/2026_0820_045601_0001R.MP4 "
        "I /e/2026_0820_045602_0001I.MP4",
    };
    EXPECT_EQ(describe(groupMoments(paths, kNoStartTimes)), expected);
}

TEST(ChannelNames, ChannelFoldersPairTheSameNameOnly)
{
    const std::vector<std::string> paths = {"/c/Rear/REC0001.MP4",
                                            "/c/FRONT/REC0001.MP4",
                                            "/c/interior/REC0001.MP4",
                                            "/c/Front/REC0002.MP4",
                                            "/c/Rear/rec0002.MP4",
                                            "/d/Rear/REC0001.MP4",
                                            "/c/Front/Old/REC0001.MP4",
                                            "/c/Rear/2026_0820_045542_0001.MP4",
                                            "/c/Front/2026_0820_045542_0001.MP4"};
    const std::vector<std::string> expected = {
        "F /c/FRONT/REC0001.MP4 R /c/Rear/REC0001.MP4 I /c/interior/REC0001.MP4",
        "F /c/Front/REC0002.MP4",
        "R /c/Rear/rec0002.MP4",
        "R /d/Rear/REC0001.MP4",
        "F /c/Front/Old/REC0001.MP4",
        // A family's name without its channel letter takes the folder's.
        "F /c/Front/2026_0820_045542_0001.MP4 R /c/Rear/2026_0820_045542_0001.MP4",
    };
    EXPECT_EQ(describe(groupMoments(paths, kNoStartTimes)), expected);
}

TEST(ChannelNames, OtherNamesPairByOneLetterAndStartTimesWithinTwoSeconds)
{
    const std::map<std::string, double> starts = {
        {"/c/CAM_0042_R.MOV", 1000.0}, {"/c/CAM_0042_F.MOV", 1001.5}, {"/c/CAM_0043_F.MOV", 2000.0},
        {"/c/CAM_0043_R.MOV", 2002.5}, {"/c/CAM_0044_F.MOV", 3000.0}, {"/d/CAM_0042_I.MOV", 1000.0},
        {"/c/F-0045.MOV", 4000.0},     {"/c/R-0045.MOV", 4000.0},     {"/c/CAMF_0046.MOV", 5000.0},
        {"/c/CAMR_0046.MOV", 5000.0},  {"/c/Movie/X9_I.MOV", 6000.0}, {"/c/Movie/X9_F.MOV", 6000.0},
    };
    std::vector<std::string> asked;
    const StartTimeOf startOf = [&](const std::string& path) -> std::optional<double> {
        asked.push_back(path);
        const auto found = starts.find(path);
        return found == starts.end() ? std::nullopt : std::optional<double>(found->second);
    };
    const std::vector<std::string> paths = {
        "/c/CAM_0042_R.MOV", "/c/CAM_0042_F.MOV", "/c/CAM_0043_F.MOV", "/c/CAM_0043_R.MOV",
        "/c/CAM_0044_F.MOV", "/c/CAM_0044_R.MOV", "/d/CAM_0042_I.MOV", "/c/F-0045.MOV",
        "/c/R-0045.MOV",     "/c/CAMF_0046.MOV",  "/c/CAMR_0046.MOV",  "/c/Movie/X9_I.MOV",
        "/c/Movie/X9_F.MOV", "/c/PLAIN.MOV"};
    const std::vector<std::string> expected = {
        "F /c/CAM_0042_F.MOV R /c/CAM_0042_R.MOV",
        "F /c/CAM_0043_F.MOV",
        "F /c/CAM_0043_R.MOV",  // 2.5 s apart: two moments, each a plain front
        "F /c/CAM_0044_F.MOV",
        "F /c/CAM_0044_R.MOV",  // no start time known
        "F /d/CAM_0042_I.MOV",  // another tree
        "F /c/F-0045.MOV R /c/R-0045.MOV",
        "F /c/CAMF_0046.MOV",  // a letter inside a word is no channel
        "F /c/CAMR_0046.MOV",
        "F /c/Movie/X9_F.MOV I /c/Movie/X9_I.MOV",
        "F /c/PLAIN.MOV",
    };
    EXPECT_EQ(describe(groupMoments(paths, startOf)), expected);
    // Start times are read only where a partner by name waits, not for every file.
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/c/PLAIN.MOV"), 0);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/d/CAM_0042_I.MOV"), 0);
}

TEST(ChannelNames, FindMomentLooksInTheFolderAndTheCameraFoldersBesideIt)
{
    const TempDir dir;
    for (const char* name :
         {"DCIM/Movie/2026_0820_045542_0001F.MP4", "DCIM/Movie/RO/2026_0820_045543_0001R.MP4",
          "DCIM/Movie/2026_0820_045542_0002F.MP4", "DCIM/Movie/20260820_045542_NR.mp4",
          "DCIM/Movie/2026_0820_045542_0001F.DAT", "DCIM/Front/A.MP4", "DCIM/rear/A.MP4",
          "DCIM/Interior/A.MP4", "DCIM/Interior/B.MP4", "Other/2026_0820_045542_0001I.MP4",
          "Other/CLIP.MP4"}) {
        std::filesystem::create_directories((dir.path() / name).parent_path());
        dir.write(name, "");
    }
    const std::string root = dir.path().string() + "/";
    EXPECT_EQ(
        describe(findMoment(root + "DCIM/Movie/RO/2026_0820_045543_0001R.MP4", kNoStartTimes)),
        "F " + root + "DCIM/Movie/2026_0820_045542_0001F.MP4 R " + root +
            "DCIM/Movie/RO/2026_0820_045543_0001R.MP4");
    EXPECT_EQ(describe(findMoment(root + "DCIM/rear/A.MP4", kNoStartTimes)),
              "F " + root + "DCIM/Front/A.MP4 R " + root + "DCIM/rear/A.MP4 I " + root +
                  "DCIM/Interior/A.MP4");
    // Where only one channel survived, and names of no family: a moment of that file.
    for (const char* name : {"DCIM/Movie/2026_0820_045542_0002F.MP4", "DCIM/Interior/B.MP4",
                             "DCIM/Movie/20260820_045542_NR.mp4", "Other/CLIP.MP4", "Gone/X.MP4"}) {
        const std::string path = root + name;
        const std::optional<ChannelName> named = parseChannelName(path);
        EXPECT_EQ(describe(findMoment(path, kNoStartTimes)),
                  std::string(1, static_cast<char>(named ? named->channel : Channel::Front)) + " " +
                      path);
    }
}

TEST(ChannelNames, StartTimeFromTheMovieHeaderElseTheFirstDatedFix)
{
    const TempDir dir;
    // 3600000000 s after 1904-01-01 is 2018-01-28 16:00:00 UTC.
    const std::string front = dir.write("CAM_7_F.MP4", layout_writer::movieFirstShape(3600000000u));
    const std::string rear = dir.write("CAM_7_R.MP4", layout_writer::movieFirstShape(3600000001u));
    EXPECT_EQ(recordingStartTime(front), 1517155200.0);

    // A camera without a set clock: the first fix, 2023-05-17 10:20:30 UTC.
    layout_writer::FreeGpsOptions unset;
    unset.creationTime = 0;
    const std::string gps =
        dir.write("gps.MP4", layout_writer::freeGpsMovie(layout_writer::gpsDrive(3), unset));
    EXPECT_EQ(recordingStartTime(gps), 1684318830.0);
    EXPECT_FALSE(recordingStartTime(dir.write("plain.MP4", layout_writer::ftypAtom())));
    EXPECT_FALSE(recordingStartTime((dir.path() / "missing.MP4").string()));

    EXPECT_EQ(describe(findMoment(rear, recordingStartTime)), "F " + front + " R " + rear);
}

}  // namespace
