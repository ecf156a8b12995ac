#include <gtest/gtest.h>

#include "telemetry/freegps_reader.h"
#include "telemetry/nmea_box_reader.h"
#include "tests/telemetry/exiftool_judge.h"
#include "tests/telemetry/temp_dir.h"
#include "tools/layout_writer/layout_writer.h"

namespace {

using namespace layout_writer;

std::optional<TimedTrack> decode(const std::string& path, std::string& reason)
{
    BinaryFile file;
    EXPECT_TRUE(file.open(path));
    EXPECT_FALSE(detectFreeGps(file));
    if (!detectNmeaBox(file)) {
        reason = "not detected";
    }
    return decodeNmeaBox(file, reason);
}

TEST(NmeaBox, AgreesWithExifToolAndReadsTheSameFromMoov)
{
    std::vector<GpsPoint> points = gpsDrive(6, -41.2865417, 174.7762291);
    points[2].status = 'V';
    NmeaBoxOptions options;
    TempDir dir;
    const std::string path = dir.write("free.MP4", nmeaBoxMovie(points, options));
    std::string reason;
    const std::optional<TimedTrack> track = decode(path, reason);
    ASSERT_TRUE(track) << reason;
    ASSERT_EQ(track->fixes.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(track->fixes[i].videoSeconds, static_cast<double>(i));
        EXPECT_EQ(track->fixes[i].valid, points[i].status == 'A');
        EXPECT_EQ(track->fixes[i].utcMs, options.startMs + static_cast<int64_t>(i) * 1000);
    }
    expectExifToolAgrees(path, *track);
    // Ten records a second; ExifTool prints the raw axes divided by 10, the box holds 128 per g.
    ASSERT_EQ(track->accelerations.size(), points.size() * 10);
    EXPECT_DOUBLE_EQ(track->accelerations[13].videoSeconds, 1.3);
    EXPECT_NEAR(track->accelerations[13].z, points[1].milliG[2] / 1000.0, 1.0 / 128);
    expectExifToolAccelerations(path, track->accelerations, 10.0 / 128.0);

    // The same boxes in moov (ExifTool reads a `gps ` atom there as a freeGPS index).
    options.inMoov = true;
    const std::optional<TimedTrack> inMoov =
        decode(dir.write("moov.MP4", nmeaBoxMovie(points, options)), reason);
    ASSERT_TRUE(inMoov) << reason;
    ASSERT_EQ(inMoov->fixes.size(), track->fixes.size());
    EXPECT_EQ(inMoov->fixes[5].latitude, track->fixes[5].latitude);
    EXPECT_EQ(inMoov->accelerations.size(), track->accelerations.size());
}

TEST(NmeaBox, VideoTimeFromTheStartBoxOrTheFirstLine)
{
    const std::vector<GpsPoint> points = gpsDrive(3);
    const int64_t start = 1684318830000;
    // The log begins 2.5 s after the start box: the first fix is at 2.5 s of video.
    std::string movie =
        ftypAtom() +
        Atom("free", Atom("sttm", BE32(0) + BE32(0)) + Atom("gps ", nmeaBoxLog(points, start))) +
        Atom("mdat", "");
    patchBE32(movie, findAtom(movie, "sttm") + 8, static_cast<uint32_t>((start - 2500) >> 32));
    patchBE32(movie, findAtom(movie, "sttm") + 12, static_cast<uint32_t>(start - 2500));
    TempDir dir;
    std::string reason;
    std::optional<TimedTrack> track = decode(dir.write("late.MP4", movie), reason);
    ASSERT_TRUE(track) << reason;
    EXPECT_DOUBLE_EQ(track->fixes[0].videoSeconds, 2.5);
    EXPECT_DOUBLE_EQ(track->fixes[2].videoSeconds, 4.5);
    EXPECT_TRUE(track->accelerations.empty());

    // A start box on another clock (here before 1970) is not the video's start: the first
    // line is.
    patchBE32(movie, findAtom(movie, "sttm") + 8, 0x80000000u);
    patchBE32(movie, findAtom(movie, "sttm") + 12, 1);
    track = decode(dir.write("zero.MP4", movie), reason);
    ASSERT_TRUE(track) << reason;
    EXPECT_DOUBLE_EQ(track->fixes[0].videoSeconds, 0.0);
    EXPECT_DOUBLE_EQ(track->fixes[2].videoSeconds, 2.0);
}

TEST(NmeaBox, SentencesThroughTheSentenceParser)
{
    // Other talkers, GGA quality, five minute digits, a sentence the parser refuses.
    const auto rmc =
        fixFromSentence("$GNRMC,101010.50,A,4807.03812,N,01131.00000,W,10.0,90.5,170523,,,A*00");
    ASSERT_TRUE(rmc);
    EXPECT_TRUE(rmc->valid);
    EXPECT_NEAR(rmc->latitude, 48.0 + 7.03812 / 60, 1e-7);
    EXPECT_NEAR(rmc->longitude, -(11.0 + 31.0 / 60), 1e-7);
    EXPECT_NEAR(rmc->speedKmh, 18.52, 1e-9);
    EXPECT_EQ(rmc->course, 90.5);
    EXPECT_EQ(rmc->utcMs, utcMilliseconds(2023, 5, 17, 10, 10, 10, 500));
    const auto noFix = fixFromSentence("$GPGGA,101010,4807.0381,N,01131.0000,E,0,00,,,M,,M,,*00");
    ASSERT_TRUE(noFix);
    EXPECT_FALSE(noFix->valid);
    const auto empty = fixFromSentence("$GPRMC,101010,V,,,,,,,170523,,,N*00");
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->valid);
    EXPECT_FALSE(fixFromSentence("$GPRMC,1,A,4807.0381,N"));
    EXPECT_FALSE(fixFromSentence("$GPGSV,3,1,11,03,03,111,00*74"));
}

TEST(NmeaBox, TruncatedAnywhereStaysBounded)
{
    const std::string movie = nmeaBoxMovie(gpsDrive(3));
    TempDir dir;
    size_t decoded = 0;
    for (size_t cut = 0; cut < movie.size(); cut += 7) {
        std::string reason;
        BinaryFile file;
        ASSERT_TRUE(file.open(dir.write("cut.MP4", movie.substr(0, cut))));
        const std::optional<TimedTrack> track = decodeNmeaBox(file, reason);
        EXPECT_TRUE(track || !reason.empty());
        if (track) {
            EXPECT_LE(track->fixes.size(), 3u);
            EXPECT_LE(track->accelerations.size(), 30u);
            ++decoded;
        }
    }
    EXPECT_GT(decoded, 0u);
}

}  // namespace
