#include <cmath>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "telemetry/gopro_reader.h"
#include "telemetry/layout_reader.h"
#include "telemetry/recording_entry.h"
#include "tests/common/shared_testdata.h"
#include "tests/telemetry/exiftool.h"
#include "tests/telemetry/temp_dir.h"
#include "tests/telemetry/test_samples.h"

namespace {

namespace lw = layout_writer;

// A short drive that starts in the south-west, with GPS time.
std::vector<lw::GpmfSecond> gpsDrive(int seconds)
{
    std::vector<lw::GpmfSecond> drive = lw::gpmfDrive(seconds);
    for (size_t s = 0; s < drive.size(); ++s) {
        for (lw::GpmfFix& fix : drive[s].fixes) {
            fix.latitude -= 80.0;    // -32.7...
            fix.longitude -= 120.0;  // -111.5...
        }
        drive[s].utc = "2406110815" + std::string(s < 10 ? "0" : "") + std::to_string(s) + ".000";
    }
    return drive;
}

TelemetryTable readTable(const std::string& path, int expectedEntries)
{
    RecordingEntry node;
    node.filePath = path;
    node.layout = detectLayout(path);
    EXPECT_EQ(node.layout, Layout::GoPro) << path;
    TelemetryTable table;
    EXPECT_EQ(table.readRecording(node), expectedEntries) << path;
    return table;
}

// ExifTool reads the writer's GPS5 file as written (1e-5 degrees); our reader gives the same
// positions from it and from the same drive written as GPS9 (which this ExifTool predates).
TEST(GoProReader, WrittenFilesAgreeWithExifTool)
{
    TempDir dir;
    const std::vector<lw::GpmfSecond> drive = gpsDrive(4);
    const std::string gps5 = dir.write("GOPR0001.MP4", lw::goProMovie(drive));
    lw::GpmfOptions gps9Options;
    gps9Options.gps9 = true;
    const std::string gps9 = dir.write("GX010001.MP4", lw::goProMovie(drive, gps9Options));

    const std::vector<ExifFix> judge = exifToolFixes(gps5);
    ASSERT_EQ(judge.size(), 4u * drive[0].fixes.size());
    for (size_t i = 0; i < judge.size(); ++i) {
        const lw::GpmfFix& written =
            drive[i / drive[0].fixes.size()].fixes[i % drive[0].fixes.size()];
        EXPECT_NEAR(judge[i].latitude, written.latitude, 1e-5) << i;
        EXPECT_NEAR(judge[i].longitude, written.longitude, 1e-5) << i;
    }
    for (const std::string& path : {gps5, gps9}) {
        const TelemetryTable table = readTable(path, 4 * kEntriesPerSample);
        for (int s = 0; s < 4; ++s) {
            const TelemetryEntry& sample = *table.find(s * kEntriesPerSample);
            const ExifFix& first = judge[static_cast<size_t>(s) * drive[0].fixes.size()];
            EXPECT_NEAR(std::stod(latitudeText(sample)), first.latitude, 1e-5) << path << " " << s;
            EXPECT_NEAR(std::stod(longitudeText(sample)), first.longitude, 1e-5)
                << path << " " << s;
            EXPECT_EQ(sample.speedKmh, 45) << path;  // 12.5 m/s
            ASSERT_TRUE(sample.utcMs) << path;
            EXPECT_EQ(*sample.utcMs, 1718093700000 + s * 1000) << path;  // 2024-06-11 08:15:00
        }
        EXPECT_NEAR(table.find(5)->gZ, 1.0, 1e-3) << path;        // 9.80665 m/s² is 1 g
        EXPECT_NEAR(table.find(12)->course, 329.5, 0.5) << path;  // north-north-west
    }
}

TEST(GoProReader, NoLockIsNoPosition)
{
    TempDir dir;
    std::vector<lw::GpmfSecond> drive = gpsDrive(2);
    drive[1].fixType = 0;
    const TelemetryTable table = readTable(dir.write("A.MP4", lw::goProMovie(drive)), 20);
    EXPECT_TRUE(table.find(0)->hasPosition());
    EXPECT_FALSE(table.find(10)->hasPosition());
}

// Sample tables that claim more than the file holds read only what is there.
TEST(GoProReader, TheFileBoundsWhatItsIndexClaims)
{
    TempDir dir;
    const std::string movie = lw::goProMovie(gpsDrive(3));
    BinaryFile file;
    std::string why;

    ASSERT_TRUE(file.open(dir.write("plain.MP4", movie)));
    const size_t fixes = readGoPro(file, why)->fixes.size();

    std::string manySamples = movie;
    const size_t stsz = lw::findAtom(manySamples, "stsz");
    lw::patchBE32(manySamples, stsz + 16, 0xFFFFFFFFu);  // sample count
    const size_t stco = lw::findAtom(manySamples, "stco");
    lw::patchBE32(manySamples, stco + 12, 0xFFFFFFFFu);  // chunk count
    BinaryFile manyFile;
    ASSERT_TRUE(manyFile.open(dir.write("many.MP4", manySamples)));
    const std::optional<TimedTrack> track = readGoPro(manyFile, why);
    ASSERT_TRUE(track);
    EXPECT_EQ(track->fixes.size(), fixes);
    EXPECT_GT(fixes, 0u);

    std::string farChunks = movie;
    const size_t far = lw::findAtom(farChunks, "stco");
    lw::patchBE32(farChunks, far + 16, 0xFFFFFF00u);  // first chunk past the end
    BinaryFile farFile;
    ASSERT_TRUE(farFile.open(dir.write("far.MP4", farChunks)));
    EXPECT_FALSE(readGoPro(farFile, why));
    EXPECT_EQ(why, "gpmd track without samples");
}

// The gpmd track's own samples play 2^32-1 units each at one unit a second: a payload's
// few records lie years apart. The table still ends with the movie, and the work follows
// the records that exist, not the years declared between them.
void declareEndlessPayloads(std::string& movie)
{
    const size_t gpmd = movie.rfind("gpmd");
    ASSERT_NE(gpmd, std::string::npos);
    size_t mdhd = std::string::npos;
    for (size_t at = lw::findAtom(movie, "mdhd"); at < gpmd;
         at = lw::findAtom(movie, "mdhd", at + 1)) {
        mdhd = at;
    }
    const size_t stts = lw::findAtom(movie, "stts", gpmd);
    ASSERT_NE(mdhd, std::string::npos);
    ASSERT_NE(stts, std::string::npos);
    lw::patchBE32(movie, mdhd + 20, 1);            // time scale
    lw::patchBE32(movie, stts + 20, 0xFFFFFFFFu);  // first entry's delta
}

TEST(GoProReader, DeclaredDurationsDoNotSetTheWork)
{
    TempDir dir;
    std::vector<lw::GpmfSecond> drive = gpsDrive(1);
    drive[0].fixes.resize(3);
    drive[0].accelerations.resize(3);
    std::string crafted = lw::goProMovie(drive);
    declareEndlessPayloads(crafted);
    const TelemetryTable small = readTable(dir.write("G.MP4", crafted), kEntriesPerSample);
    EXPECT_NEAR(std::stod(latitudeText(*small.find(0))), drive[0].fixes[0].latitude, 1e-6);
    EXPECT_NEAR(small.find(0)->gZ, 1.0, 1e-3);

    SKIP_WITHOUT_SHARED_TESTDATA(TELEMETRY_TESTDATA_DIR);
    const std::string karma = std::string(TELEMETRY_TESTDATA_DIR) + "/real-movies/gopro-karma.mp4";
    std::ifstream in(karma, std::ios::binary);
    std::string real{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(real.size(), 4000000u) << karma;
    const TelemetryTable honest = readTable(karma, 13 * kEntriesPerSample);
    declareEndlessPayloads(real);
    const TelemetryTable patched = readTable(dir.write("karma.mp4", real), 13 * kEntriesPerSample);
    EXPECT_EQ(latitudeText(*patched.find(0)), latitudeText(*honest.find(0)));
    EXPECT_EQ(longitudeText(*patched.find(0)), longitudeText(*honest.find(0)));
    EXPECT_EQ(patched.find(0)->gX, honest.find(0)->gX);
}

}  // namespace
