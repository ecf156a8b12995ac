// Trips from the movie headers' times, and the trip's summary.
#include <array>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "telemetry/telemetry_table.h"
#include "telemetry/track_export.h"
#include "telemetry/trip.h"
#include "telemetry/trip_summary.h"
#include "tests/telemetry/temp_dir.h"
#include "tools/layout_writer/layout_writer.h"

namespace {

namespace lw = layout_writer;

constexpr uint32_t k1904To1970 = 2082844800u;
constexpr uint32_t kMorning = 1718093700u;  // 2024-06-11 08:15:00 UTC

// A movie whose header says when it started and how long it runs (time scale 1000).
std::string Movie(uint32_t startUtc, uint32_t lengthMs)
{
    std::string bytes = lw::movieSecondShape(startUtc + k1904To1970);
    lw::patchBE32(bytes, lw::findAtom(bytes, "mvhd") + 24, lengthMs);
    return bytes;
}

std::vector<std::vector<int>> tripsOf(const std::vector<RecordingClock>& clocks)
{
    return TripPlan(clocks).trips();
}

RecordingClock clockAt(int64_t startSeconds, double seconds)
{
    return {startSeconds * 1000, seconds};
}

TEST(RecordingClock, StartAndLengthFromTheMovieHeader)
{
    TempDir dir;
    const RecordingClock clock = readRecordingClock(dir.write("a.MOV", Movie(kMorning, 60500)));
    ASSERT_TRUE(clock.startUtcMs);
    EXPECT_EQ(*clock.startUtcMs, int64_t{kMorning} * 1000);
    EXPECT_DOUBLE_EQ(clock.seconds, 60.5);

    // A header without a time, a file without a header, and no file: no start.
    EXPECT_FALSE(readRecordingClock(dir.write("zero.MOV", lw::movieSecondShape(0))).startUtcMs);
    EXPECT_FALSE(readRecordingClock(dir.write("plain.TS", std::string(400, 'G'))).startUtcMs);
    EXPECT_FALSE(readRecordingClock((dir.path() / "missing.MOV").string()).startUtcMs);
    // A header cut short inside mvhd.
    const std::string whole = Movie(kMorning, 1000);
    const std::string cut = whole.substr(0, lw::findAtom(whole, "mvhd") + 20);
    EXPECT_FALSE(readRecordingClock(dir.write("cut.MOV", cut)).startUtcMs);
}

TEST(TripPlan, TwoMinutesFromTheEndJoinAndOneSecondMoreSplits)
{
    // A ends at 60 s; B starts 119 s later and joins; C starts 121 s after B's end.
    const std::vector<RecordingClock> clocks = {clockAt(0, 60), clockAt(179, 60), clockAt(360, 60)};
    EXPECT_EQ(tripsOf(clocks), (std::vector<std::vector<int>>{{0, 1}, {2}}));
    const TripPlan plan(clocks);
    EXPECT_TRUE(plan.startsTrip(0));
    EXPECT_FALSE(plan.startsTrip(1));
    EXPECT_TRUE(plan.startsTrip(2));
    EXPECT_EQ(plan.tripOf(2), 1);
    EXPECT_EQ(plan.tripOf(3), -1);
}

TEST(TripPlan, OutOfOrderNamesPlayInTimeOrderAndTimelessRecordingsStandAlone)
{
    // List order by name; the times say 1, 2, 0 within one trip, and row 3 has no time.
    const std::vector<RecordingClock> clocks = {
        clockAt(120, 60), clockAt(180, 60), clockAt(0, 60), {}, clockAt(240, 60)};
    const TripPlan plan(clocks);
    EXPECT_EQ(plan.trips(), (std::vector<std::vector<int>>{{2, 0, 1, 4}, {3}}));
    EXPECT_TRUE(plan.startsTrip(2));
    EXPECT_FALSE(plan.startsTrip(0));
    // Play order: the trip in time order on its list places 0, 1, 2 and 4; the timeless
    // row keeps its place: 2, 0, 1, 3, 4.
    EXPECT_EQ(plan.next(2), 0);
    EXPECT_EQ(plan.next(0), 1);
    EXPECT_EQ(plan.next(1), 3);
    EXPECT_EQ(plan.next(3), 4);
    EXPECT_EQ(plan.next(4), -1);
    EXPECT_EQ(plan.previous(2), -1);
    EXPECT_EQ(plan.previous(3), 1);
    ASSERT_EQ(plan.tripRows(1).size(), 4u);
}

TEST(TripPlan, ReadFromRealHeadersOnDisk)
{
    TempDir dir;
    const std::vector<std::string> paths = {dir.write("1.MOV", Movie(kMorning, 60000)),
                                            dir.write("2.MOV", Movie(kMorning + 60 + 119, 60000)),
                                            dir.write("3.MOV", Movie(kMorning + 239 + 121, 60000)),
                                            dir.write("4.MOV", lw::movieSecondShape(0))};
    std::vector<RecordingClock> clocks;
    for (const std::string& path : paths) {
        clocks.push_back(readRecordingClock(path));
    }
    EXPECT_EQ(tripsOf(clocks), (std::vector<std::vector<int>>{{0, 1}, {2}, {3}}));
}

TelemetryEntry makeEntry(double latitude, double longitude, int kmh, float z = 1.0f)
{
    return {.gZ = z, .position = Position{{latitude, 6}, {longitude, 6}}, .speedKmh = kmh};
}

TEST(TripSummary, DistanceTimeSpeedsAndPeakAcrossRecordings)
{
    // One degree of latitude on the mean sphere: 6371008.8 * pi / 180 = 111195.08 m.
    // One degree of longitude on the equator is the same; the join between the two
    // recordings (0,1) -> (0,2) counts too. Hand sum: 4 x 111195.08 = 444780.32 m.
    TelemetryTable first;
    first.appendSample(makeEntry(0, 0, 50));
    first.appendSample(makeEntry(1, 0, 90));
    first.appendSample({.gZ = 1.0f});  // no position: time, but no distance
    first.appendSample(makeEntry(0, 0, 70));
    first.appendSample(makeEntry(0, 1, 60, 1.6f));
    TelemetryTable second;
    second.appendSample(makeEntry(0, 2, 120, 1.3f));

    TrackDigest a = digestTable(first);
    TrackDigest b = digestTable(second);
    a.clock = {kMorning * 1000LL, 5.0};
    b.clock = {kMorning * 1000LL + 5000, 1.0};  // right after the first: a join of no time
    EXPECT_EQ(a.positions.size(), 4u);
    const TrackDigest* parts[] = {&a, &b};
    const TripSummary summary = summariseTrip(parts);
    EXPECT_NEAR(summary.metres, 444780.32, 0.5);
    EXPECT_EQ(summary.seconds, 6);
    EXPECT_EQ(summary.maxKmh, 120);
    EXPECT_NEAR(summary.averageKmh, 444780.32 / 6 * 3.6, 0.1);
    // The strongest change from the recording's mean: 1.6 g against a mean of 1.12 g.
    EXPECT_EQ(summary.peakPart, 0);
    EXPECT_EQ(summary.peak.entry, 4 * kEntriesPerSample);
    EXPECT_NEAR(summary.peak.g, 0.48, 1e-6);
}

// Seconds the layout filled with zero axes are no reading: they neither pull the mean (the
// rest the peak is measured from) towards zero nor count as a push of gravity's size.
TEST(TripSummary, ThePeakIsMeasuredFromTheReadingsAlone)
{
    TelemetryTable table;
    for (const float z : {1.0f, 0.0f, 0.0f, 1.0f, 1.5f, 0.0f, 1.0f, 0.0f}) {
        table.appendSample({.gZ = z});
    }
    const std::array<double, 3> mean = meanG(table);
    EXPECT_NEAR(mean[2], 1.125, 1e-9);
    const TrackDigest digest = digestTable(table);
    EXPECT_EQ(digest.peak.entry, 4 * kEntriesPerSample);
    EXPECT_NEAR(digest.peak.g, 0.375, 1e-6);
}

// A car at a steady 36 km/h due north, filmed for a minute, then not for 30 s, then for a
// minute: the distance across the break counts with the time of the break, so the average
// is the car's speed. Without the recordings' times the break is left out of both.
// A position off the earth (a garbled log) is no track point and adds no distance; the
// poles and the date line are on it.
TEST(TripSummary, PositionsOffTheEarthAreLeftOutOfTracksAndTrips)
{
    TelemetryTable table;
    table.appendSample(makeEntry(90.5, 8, 10));
    table.appendSample(makeEntry(47, -180.5, 10));
    table.appendSample(makeEntry(-90, 180, 10));
    table.appendSample(makeEntry(47.5, 8.25, 10));
    std::ostringstream csv;
    writeCsvRows(csv, ExportPart{"A.MOV", &table, std::nullopt});
    EXPECT_EQ(csv.str(), ",,,10,0.000,0.0000,0.0000,1.0000\n"
                         ",,,10,0.000,0.0000,0.0000,1.0000\n"
                         ",-90.000000,180.000000,10,0.000,0.0000,0.0000,1.0000\n"
                         ",47.500000,8.250000,10,0.000,0.0000,0.0000,1.0000\n");
    EXPECT_EQ(digestTable(table).positions.size(), 2u);
}

TEST(TripSummary, TheBreakBetweenRecordingsCountsInDistanceAndTime)
{
    constexpr double kMetresPerDegree = 111195.08;
    const auto drive = [&](int firstSecond) {
        TelemetryTable table;
        for (int s = firstSecond; s < firstSecond + 60; ++s) {
            table.appendSample(makeEntry(47.0 + s * 10.0 / kMetresPerDegree, 8.5, 36));
        }
        return digestTable(table);
    };
    TrackDigest first = drive(0);
    TrackDigest second = drive(90);
    first.clock = {kMorning * 1000LL, 60.0};
    second.clock = {kMorning * 1000LL + 90000, 60.0};
    const TrackDigest* parts[] = {&first, &second};

    const TripSummary summary = summariseTrip(parts);
    EXPECT_EQ(summary.seconds, 150);
    EXPECT_NEAR(summary.metres, 1490.0, 0.5);  // 59 + 31 + 59 seconds of driving
    EXPECT_NEAR(summary.averageKmh, 35.76, 0.01);
    EXPECT_LE(summary.averageKmh, summary.maxKmh);

    first.clock = {};
    const TripSummary untimed = summariseTrip(parts);
    EXPECT_EQ(untimed.seconds, 120);
    EXPECT_NEAR(untimed.metres, 1180.0, 0.5);
    EXPECT_LE(untimed.averageKmh, untimed.maxKmh);
}

TEST(TripSummary, NamedPlacesAgainstTheirKnownDistance)
{
    // Paris (48.8566, 2.3522) to London (51.5074, -0.1278): 343.5 km on the mean sphere.
    EXPECT_NEAR(greatCircleMetres({48.8566, 2.3522}, {51.5074, -0.1278}), 343.56e3, 0.5e3);
    EXPECT_EQ(greatCircleMetres({10, 20}, {10, 20}), 0.0);
}

}  // namespace
