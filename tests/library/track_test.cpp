#include <gtest/gtest.h>

#include <cmath>

#include "library/track.h"

namespace {

// A drive through a quarter circle of 300 m radius at 15 m/s, a 20 s stop, then straight on:
// 100 points a second apart.
std::vector<TrackPoint> curvingDrive()
{
    std::vector<TrackPoint> points;
    const double metresPerDegree = 111195.0;
    const double lat0 = 52.0, lon0 = 13.0;
    const double cosLat = std::cos(lat0 * M_PI / 180.0);
    double east = 0, north = 0;
    for (int i = 0; i < 100; ++i) {
        if (i < 31) {
            const double angle = i * 15.0 / 300.0;  // radians along the arc
            east = 300.0 * std::sin(angle);
            north = 300.0 * (1 - std::cos(angle));
        } else if (i >= 51) {
            north += 15.0;
        }
        points.push_back({lat0 + north / metresPerDegree, lon0 + east / (metresPerDegree * cosLat),
                          std::int64_t(i) * 1000});
    }
    return points;
}

}  // namespace

TEST(Track, SimplifiedStoredTrackKeepsEveryMomentWithinTolerance)
{
    const std::vector<TrackPoint> drive = curvingDrive();
    const std::vector<TrackPoint> simplified = simplifyTrack(drive);
    EXPECT_LT(simplified.size(), drive.size() / 3);
    const std::string bytes = encodeTrack(simplified);
    EXPECT_LT(bytes.size(), simplified.size() * 8);
    const auto stored = decodeTrack(bytes);
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), simplified.size());
    // Where the stored track puts the car each second, the stop included: within the
    // tolerance plus the metre the stored coordinates are rounded to.
    for (const TrackPoint& p : drive) {
        const auto at = positionAt(*stored, p.tMs);
        ASSERT_TRUE(at) << p.tMs;
        EXPECT_LT(haversineMetres(at->latitude, at->longitude, p.latitude, p.longitude),
                  kTrackToleranceMetres + 1.5)
            << "at " << p.tMs << " ms";
    }
    EXPECT_FALSE(positionAt(*stored, drive.back().tMs + 1));
}

TEST(Track, DamagedBytesDecodeToNothing)
{
    const std::string bytes = encodeTrack(curvingDrive());
    ASSERT_TRUE(decodeTrack(bytes));
    EXPECT_FALSE(decodeTrack(bytes.substr(0, bytes.size() - 1)));
    EXPECT_FALSE(decodeTrack(bytes + '\0'));
    EXPECT_FALSE(decodeTrack(std::string("\x01\xff\xff\xff\xff\x0f", 6)));  // huge count
    EXPECT_FALSE(decodeTrack(std::string(1, '\x02') + bytes.substr(1)));    // unknown version
    EXPECT_FALSE(decodeTrack(""));
}

TEST(Track, OneFixOrNoneRoundTrips)
{
    const auto one = decodeTrack(encodeTrack(std::vector<TrackPoint>{{48.12345, 11.54321, 0}}));
    ASSERT_TRUE(one);
    ASSERT_EQ(one->size(), 1u);
    EXPECT_NEAR(one->front().latitude, 48.12345, 1e-9);
    EXPECT_NEAR(one->front().longitude, 11.54321, 1e-9);
    const auto none = decodeTrack(encodeTrack({}));
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST(Track, ClosestApproachLiesBetweenStoredPoints)
{
    // Two points 200 m apart on a meridian, 20 s apart; the place is 30 m east of the middle.
    const std::vector<TrackPoint> points = {{50.0, 8.0, 0}, {50.0 + 200.0 / 111195.0, 8.0, 20000}};
    const double east = 30.0 / (111195.0 * std::cos(50.0 * M_PI / 180.0));
    const auto approach = closestApproach(points, 50.0 + 100.0 / 111195.0, 8.0 + east);
    ASSERT_TRUE(approach);
    EXPECT_NEAR(approach->metres, 30.0, 0.1);
    EXPECT_NEAR(double(approach->point.tMs), 10000.0, 20.0);
}
