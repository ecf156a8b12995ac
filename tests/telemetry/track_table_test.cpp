#include <gtest/gtest.h>

#include "telemetry/track_table.h"
#include "tests/telemetry/test_samples.h"

namespace {

TimedFix Fix(double t, bool valid, double latitude = 47.5, double longitude = -8.25)
{
    TimedFix fix;
    fix.videoSeconds = t;
    fix.valid = valid;
    fix.latitude = latitude;
    fix.longitude = longitude;
    fix.speedKmh = 35.6;
    fix.course = 270.5;
    fix.utcMs = 1700000000000 + static_cast<int64_t>(t * 1000);
    return fix;
}

// A decoded position is kept as it prints, so that the map and the trip use the very
// value the text shows.
TEST(TrackTable, PositionsAreKeptToTheDigitsTheyPrintWith)
{
    TimedTrack track;
    track.fixes = {Fix(0.0, true, 47.123456789, -8.98765432149)};
    TelemetryTable table;
    fillTable(track, 1.0, table);
    ASSERT_TRUE(table.find(0)->position);
    EXPECT_EQ(table.find(0)->position->latitude.value, 47.1234568);
    EXPECT_EQ(table.find(0)->position->longitude.value, -8.9876543);
}

float X(const TelemetryTable& table, int sample, int entry)
{
    return table.find(sample * kEntriesPerSample + entry)->gX;
}

// Sample i takes the first fix of [i, i + 1) s, even a void one; entry j the first
// acceleration of [i + j/10, i + j/10 + 1) s.
TEST(TrackTable, EachSecondTakesTheFirstRecordAtOrAfterIt)
{
    TimedTrack track;
    track.fixes = {Fix(0.5, true), Fix(1.0, false), Fix(1.2, true, -33.9, 151.2), Fix(3.9, true)};
    track.accelerations = {
        {0.0, 1.0, 0, 0}, {0.05, 2.0, 0, 0}, {0.25, 3.0, 0, 0}, {1.95, 4.0, 0, 0}};
    TelemetryTable table;
    fillTable(track, 4.2, table);
    ASSERT_EQ(table.count(), 4 * kEntriesPerSample);  // up to the last record's second

    const TelemetryEntry& first = *table.find(0);
    EXPECT_EQ(latitudeText(first), "47.5000000");
    EXPECT_EQ(longitudeText(first), "-8.2500000");
    EXPECT_EQ(first.speedKmh, 36);
    EXPECT_EQ(first.course, 270.5);
    EXPECT_EQ(first.utcMs, 1700000000500);
    EXPECT_FALSE(table.find(10)->hasPosition()) << "the void fix at 1.0 s is sample 1's";
    EXPECT_EQ(table.find(10)->speedKmh, 0);
    EXPECT_FALSE(table.find(20)->hasPosition()) << "no fix before 3 s: no jump ahead";
    EXPECT_EQ(latitudeText(*table.find(39)), "47.5000000");

    EXPECT_EQ(X(table, 0, 0), 1.0f);
    EXPECT_EQ(X(table, 0, 1), 3.0f);
    EXPECT_EQ(X(table, 0, 2), 3.0f);
    EXPECT_EQ(X(table, 0, 3), 0.0f) << "1.95 s is more than a second after 0.3 s";
    EXPECT_EQ(X(table, 1, 0), 4.0f);
    EXPECT_EQ(X(table, 1, 9), 4.0f);
    EXPECT_EQ(X(table, 2, 0), 0.0f);
}

TEST(TrackTable, TheVideosLengthCutsTheTableAndTheLimitHolds)
{
    TimedTrack track;
    track.fixes = {Fix(0.0, true), Fix(2.5, true)};
    TelemetryTable table;
    fillTable(track, std::nullopt, table);
    EXPECT_EQ(table.count(), 3 * kEntriesPerSample);
    table.clear();
    fillTable(track, 1.5, table);
    EXPECT_EQ(table.count(), 2 * kEntriesPerSample);

    table.clear();
    track.fixes.push_back(Fix(4e9, true));  // a time stamp far ahead of the rest
    fillTable(track, std::nullopt, table);
    EXPECT_EQ(table.count(), 30 * kEntriesPerSample) << "ten seconds per record";

    table.clear();
    table.setSampleLimit(2);
    fillTable(track, 1e12, table);  // a length no file could hold
    EXPECT_EQ(table.count(), 2 * kEntriesPerSample);
}

}  // namespace
