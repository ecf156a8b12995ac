#include <gtest/gtest.h>

#include "track_table.h"

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

float X(const CAssistInfoReader& table, int sample, int entry)
{
    return table.Find(sample * ENTRIES_PER_SAMPLE + entry)->fX;
}

// Sample i takes the first fix of [i, i + 1) s, even a void one; entry j the first
// acceleration of [i + j/10, i + j/10 + 1) s.
TEST(TrackTable, EachSecondTakesTheFirstRecordAtOrAfterIt)
{
    TimedTrack track;
    track.fixes = {Fix(0.5, true), Fix(1.0, false), Fix(1.2, true, -33.9, 151.2), Fix(3.9, true)};
    track.accelerations = {{0.0, 1.0, 0, 0}, {0.05, 2.0, 0, 0}, {0.25, 3.0, 0, 0}, {1.95, 4.0, 0, 0}};
    CAssistInfoReader table;
    FillTable(track, 4.2, table);
    ASSERT_EQ(table.GetCount(), 4 * ENTRIES_PER_SAMPLE);  // up to the last record's second

    const tagAssistInfo& first = *table.Find(0);
    EXPECT_EQ(first.strLatitude, "47.5000000");
    EXPECT_EQ(first.strLongitude, "-8.2500000");
    EXPECT_EQ(first.nSpeed, 36);
    EXPECT_EQ(first.dCourse, 270.5);
    EXPECT_EQ(first.utcMs, 1700000000500);
    EXPECT_FALSE(table.Find(10)->HasPosition()) << "the void fix at 1.0 s is sample 1's";
    EXPECT_EQ(table.Find(10)->nSpeed, 0);
    EXPECT_FALSE(table.Find(20)->HasPosition()) << "no fix before 3 s: no jump ahead";
    EXPECT_EQ(table.Find(39)->strLatitude, "47.5000000");

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
    CAssistInfoReader table;
    FillTable(track, std::nullopt, table);
    EXPECT_EQ(table.GetCount(), 3 * ENTRIES_PER_SAMPLE);
    table.Clear();
    FillTable(track, 1.5, table);
    EXPECT_EQ(table.GetCount(), 2 * ENTRIES_PER_SAMPLE);

    table.Clear();
    track.fixes.push_back(Fix(4e9, true));  // a time stamp far ahead of the rest
    FillTable(track, std::nullopt, table);
    EXPECT_EQ(table.GetCount(), 30 * ENTRIES_PER_SAMPLE) << "ten seconds per record";

    table.Clear();
    table.SetSampleLimit(2);
    FillTable(track, 1e12, table);  // a length no file could hold
    EXPECT_EQ(table.GetCount(), 2 * ENTRIES_PER_SAMPLE);
}

}  // namespace
