#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "telemetry/freegps_reader.h"
#include "telemetry/nmea_box_reader.h"
#include "tests/common/shared_testdata.h"
#include "tests/telemetry/exiftool_judge.h"
#include "tests/telemetry/temp_dir.h"
#include "tools/layout_writer/layout_writer.h"

namespace {

using namespace layout_writer;

struct Decoded
{
    bool detected = false;
    bool otherLayout = false;
    std::optional<TimedTrack> track;
    std::string reason;
};

Decoded decode(const std::string& path)
{
    BinaryFile file;
    EXPECT_TRUE(file.open(path));
    Decoded out;
    out.detected = detectFreeGps(file);
    out.otherLayout = detectNmeaBox(file);
    out.track = decodeFreeGps(file, out.reason);
    return out;
}

struct Variant
{
    const char* name;
    FreeGpsRecord record;
    bool index;
    double latitude;
    double longitude;
    bool accelerations;
};

void PrintTo(const Variant& variant, std::ostream* out)
{
    *out << variant.name;
}

class FreeGpsRecords : public testing::TestWithParam<Variant>
{};

TEST_P(FreeGpsRecords, AgreeWithExifTool)
{
    const Variant variant = GetParam();
    std::vector<GpsPoint> points = gpsDrive(8, variant.latitude, variant.longitude);
    points[3].status = 'V';
    FreeGpsOptions options;
    options.record = variant.record;
    options.index = variant.index;
    TempDir dir;
    const std::string path = dir.write("drive.MP4", freeGpsMovie(points, options));

    const Decoded decoded = decode(path);
    EXPECT_TRUE(decoded.detected);
    EXPECT_FALSE(decoded.otherLayout);
    ASSERT_TRUE(decoded.track) << decoded.reason;
    const TimedTrack& track = *decoded.track;
    ASSERT_EQ(track.fixes.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(track.fixes[i].videoSeconds, static_cast<double>(i));
        EXPECT_EQ(track.fixes[i].valid, points[i].status == 'A') << i;
        EXPECT_EQ(track.fixes[i].utcMs,
                  utcMilliseconds(2023, 5, 17, 10, 20, 30 + static_cast<int>(i)));
    }
    expectExifToolAgrees(path, track);

    if (!variant.accelerations) {
        EXPECT_TRUE(track.accelerations.empty());
        return;
    }
    // ExifTool reads the accelerations of the seconds with a fix only.
    std::vector<TimedAcceleration> withFix;
    for (const TimedAcceleration& a : track.accelerations) {
        const GpsPoint& written = points.at(static_cast<size_t>(a.videoSeconds));
        EXPECT_NEAR(a.z, written.milliG[2] / 1000.0, 1.0 / 256);
        if (written.status == 'A') {
            withFix.push_back(a);
        }
    }
    EXPECT_GE(track.accelerations.size(), 7u);
    expectExifToolAccelerations(path, withFix, 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FreeGpsRecords,
    testing::Values(
        Variant{"common_indexed", FreeGpsRecord::Common, true, 48.1173, 11.5167, false},
        Variant{"common_scanned", FreeGpsRecord::Common, false, -33.8688, -151.2093, false},
        Variant{"early", FreeGpsRecord::Early, true, -22.9068, -43.1729, true},
        Variant{"sentences", FreeGpsRecord::Sentences, true, 51.5072347, -0.1276123, true}),
    [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

TEST(FreeGpsMalformed, IndexPastTheFileAndHugeCountFallBackToScanning)
{
    FreeGpsOptions options;
    options.indexCountField = 0xFFFFFFFFu;
    std::string bytes = freeGpsMovie(gpsDrive(5), options).flatten();
    const size_t index = findAtom(bytes, "gps ");
    ASSERT_NE(index, std::string::npos);
    for (size_t k = 0; k < 5; ++k) {
        patchBE32(bytes, index + 16 + 8 * k, 0xFFFFFF00u);
    }
    // A size field far too large does not hide the blocks after it.
    patchBE32(bytes, kFreeGpsBlockSize, 0xFFFFFFF0u);
    TempDir dir;
    const Decoded decoded = decode(dir.write("past.MP4", bytes));
    ASSERT_TRUE(decoded.track) << decoded.reason;
    ASSERT_EQ(decoded.track->fixes.size(), 5u);
    EXPECT_NEAR(decoded.track->fixes[4].latitude, gpsDrive(5)[4].latitude, 1e-4);
}

TEST(FreeGpsScan, FindsEveryBlockOfLongMediaData)
{
    // The scan reads 1 MiB at a time: with these blocks the second tag crosses the first
    // seam (its bytes 1048598..1048605 of the file; the first read ends at 1048604).
    FreeGpsOptions options;
    options.index = false;
    options.blockSize = 524297;
    TempDir dir;
    const Decoded decoded = decode(dir.write("long.MP4", freeGpsMovie(gpsDrive(3), options)));
    ASSERT_TRUE(decoded.track) << decoded.reason;
    ASSERT_EQ(decoded.track->fixes.size(), 3u);
    EXPECT_EQ(decoded.track->fixes[1].utcMs, utcMilliseconds(2023, 5, 17, 10, 20, 31));
}

TEST(FreeGpsMalformed, TruncatedBlocksAndUnknownRecords)
{
    std::string bytes = freeGpsMovie(gpsDrive(4)).flatten();
    TempDir dir;
    // Cut inside the third block: the index goes with the moov, the scan finds three
    // blocks and the cut one is too short for a record.
    Decoded decoded = decode(dir.write("cut.MP4", bytes.substr(0, 3 * kFreeGpsBlockSize + 40)));
    ASSERT_TRUE(decoded.track) << decoded.reason;
    EXPECT_EQ(decoded.track->fixes.size(), 2u);

    for (size_t k = 1; k <= 4; ++k) {
        bytes[k * kFreeGpsBlockSize + 72] = 'X';
    }
    decoded = decode(dir.write("unknown.MP4", bytes));
    EXPECT_FALSE(decoded.track);
    EXPECT_EQ(decoded.reason, "4 freeGPS blocks, none with a known record");

    decoded = decode(dir.write("plain.MOV", movieFirstShape(3600000000u, std::string(70000, 'x'))));
    EXPECT_FALSE(decoded.detected);
    EXPECT_FALSE(decoded.track);
    EXPECT_EQ(decoded.reason, "no `gps ` index in moov and no freeGPS block in the media data");
}

TEST(ModernLayouts, RealMoviesAreNeitherLayout)
{
    SKIP_WITHOUT_SHARED_TESTDATA(TELEMETRY_TESTDATA_DIR);
    const std::filesystem::path folder =
        std::filesystem::path(TELEMETRY_TESTDATA_DIR) / "real-movies";
    const std::set<std::string> movies = {".mov", ".m4a", ".heic", ".cr3", ".mp4"};
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (movies.count(entry.path().extension().string()) == 0) {
            continue;
        }
        const Decoded decoded = decode(entry.path().string());
        EXPECT_FALSE(decoded.detected) << entry.path();
        EXPECT_FALSE(decoded.otherLayout) << entry.path();
        EXPECT_FALSE(decoded.track) << entry.path();
        ++checked;
    }
    EXPECT_EQ(checked, 6);
}

}  // namespace
