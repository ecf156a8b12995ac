// Pushes of the G-sensor found in a recording's table.
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "telemetry/g_events.h"
#include "telemetry/layout_reader.h"
#include "telemetry/recording_entry.h"
#include "telemetry/telemetry_table.h"
#include "tests/common/shared_testdata.h"

namespace {

constexpr int kSeconds = 600;
constexpr int kPushAt = 300;

// A camera mounted a little tilted: the mean is not zero on the car's axes.
TelemetryEntry resting(int second)
{
    TelemetryEntry sample;
    sample.gX = 0.10f;
    sample.gY = -0.05f;
    sample.gZ = 1.0f;
    sample.position = Position{{47.0}, {8.0}};
    sample.speedKmh = 50 + second % 7;
    return sample;
}

// Ten minutes at rest on the axes but for a three-second push of the given change.
TelemetryTable tableWithPush(float TelemetryEntry::*axis, float change)
{
    TelemetryTable table;
    for (int s = 0; s < kSeconds; ++s) {
        TelemetryEntry sample = resting(s);
        if (s >= kPushAt && s < kPushAt + 3) {
            sample.*axis += change;
        }
        table.appendSample(sample);
    }
    return table;
}

std::vector<std::string> kinds(const std::vector<GEvent>& events)
{
    std::vector<std::string> names;
    for (const GEvent& event : events) {
        names.emplace_back(gEventKindName(event.kind));
    }
    return names;
}

using Names = std::vector<std::string>;

TEST(GEvents, EachThresholdCountsFromOneHundredthBeyondIt)
{
    struct Case
    {
        float TelemetryEntry::*axis;
        float change;
        Names expected;
    };
    const Case cases[] = {
        {&TelemetryEntry::gX, -0.36f, {"braking"}},
        {&TelemetryEntry::gX, -0.34f, {}},
        {&TelemetryEntry::gX, 0.36f, {"acceleration"}},
        {&TelemetryEntry::gX, 0.34f, {}},
        {&TelemetryEntry::gY, 0.41f, {"cornering"}},
        {&TelemetryEntry::gY, -0.41f, {"cornering"}},
        {&TelemetryEntry::gY, 0.39f, {}},
        {&TelemetryEntry::gY, -0.39f, {}},
        {&TelemetryEntry::gZ, 1.01f, {"impact"}},
        {&TelemetryEntry::gZ, -1.01f, {"impact"}},
        {&TelemetryEntry::gZ, 0.99f, {}},
        // A hard hit from the front is a braking push too.
        {&TelemetryEntry::gX, -1.01f, {"braking", "impact"}},
    };
    for (const Case& c : cases) {
        const std::vector<GEvent> events = detectGEvents(tableWithPush(c.axis, c.change));
        EXPECT_EQ(kinds(events), c.expected) << c.change;
        for (const GEvent& event : events) {
            // The push's mean share (3 s of 600) shifts the peak a little.
            EXPECT_NEAR(event.peakG, std::abs(c.change), 0.01);
            EXPECT_EQ(event.entry, kPushAt * kEntriesPerSample);
            EXPECT_DOUBLE_EQ(event.seconds(), kPushAt);
            EXPECT_EQ(event.speedKmh, resting(kPushAt).speedKmh);
        }
    }

    // The thresholds are parameters.
    GEventThresholds fleet;
    fleet.longitudinalG = 0.25;
    fleet.lateralG = 0.30;
    fleet.impactG = 0.8;
    EXPECT_EQ(kinds(detectGEvents(tableWithPush(&TelemetryEntry::gX, -0.26f), fleet)),
              Names{"braking"});
    EXPECT_EQ(kinds(detectGEvents(tableWithPush(&TelemetryEntry::gX, -0.24f), fleet)), Names{});
    EXPECT_EQ(kinds(detectGEvents(tableWithPush(&TelemetryEntry::gY, 0.31f), fleet)),
              Names{"cornering"});
    EXPECT_EQ(kinds(detectGEvents(tableWithPush(&TelemetryEntry::gZ, 0.81f), fleet)),
              Names{"impact"});
}

TEST(GEvents, ALastingPushIsOneEventAtItsPeak)
{
    // Ten readings a second, as GoPro tables hold them: a braking push of four seconds
    // whose noise dips under the threshold for a few tenths, then a second push after a
    // pause longer than the join time; one second the accelerometer did not log.
    TelemetryTable table;
    const auto pushAt = [](int entry) -> float {
        if (entry >= 3000 && entry < 3040) {
            return entry == 3012 ? -0.9f : (entry >= 3020 && entry < 3023 ? -0.2f : -0.5f);
        }
        return entry >= 3100 && entry < 3105 ? -0.6f : 0.0f;
    };
    for (int s = 0; s < kSeconds; ++s) {
        std::array<EntryAxes, kEntriesPerSample> axes{};
        for (int j = 0; j < kEntriesPerSample; ++j) {
            const int entry = s * kEntriesPerSample + j;
            axes[j] = {0.1f + pushAt(entry), -0.05f, 1.0f};
        }
        if (s == 200) {
            axes.fill({});  // no reading: not a push of a whole g
        }
        table.appendSample(resting(s), axes);
    }
    const std::vector<GEvent> events = detectGEvents(table);
    ASSERT_EQ(kinds(events), (Names{"braking", "braking"}));
    EXPECT_EQ(events[0].entry, 3012);
    EXPECT_NEAR(events[0].peakG, 0.9, 0.01);
    EXPECT_EQ(events[0].speedKmh, resting(301).speedKmh);
    EXPECT_EQ(events[1].entry, 3100);

    // A join time of zero splits the first push at its dip.
    GEventThresholds strict;
    strict.joinSeconds = 0.0;
    EXPECT_EQ(detectGEvents(table, strict).size(), 3u);
}

TEST(GEvents, TheTimeIsTheFixOrTheRecordingsStartPlusItsOffset)
{
    GEvent event;
    event.entry = 125;
    EXPECT_EQ(gEventUtcMs(event, std::nullopt), std::nullopt);
    EXPECT_EQ(gEventUtcMs(event, 1'000'000), 1'012'500);
    event.utcMs = 5'000'500;
    EXPECT_EQ(gEventUtcMs(event, 1'000'000), 5'000'500);

    // A fix's time is its sample's: the peak's tenth is added.
    TelemetryTable table = tableWithPush(&TelemetryEntry::gX, 0);
    TelemetryEntry dated = resting(1);
    dated.utcMs = 7'000'000;
    std::array<EntryAxes, kEntriesPerSample> axes{};
    axes.fill({0.1f, -0.05f, 1.0f});
    axes[4].gX = -0.5f;
    table.appendSample(dated, axes);
    const std::vector<GEvent> events = detectGEvents(table);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].utcMs, 7'000'400);
}

// The accelerometer of both real GoPro files: the camera's own axis order differs per
// model (the gravity axis is the table's X in the HERO5 on the drone, Y in the MAX), and
// each gives one braking push that reads the same every time.
TEST(GEvents, RealGoProFilesGiveOnePlausibleBrakingPushEach)
{
    const std::filesystem::path movies =
        std::filesystem::path(TELEMETRY_TESTDATA_DIR) / "real-movies";
    SKIP_WITHOUT_SHARED_TESTDATA(movies);
    struct Expected
    {
        const char* name;
        int entry;
        double peakG;
        std::optional<int> speedKmh;
    };
    // The drone's last second has no fix, hence no speed; the MAX walks at 4 km/h.
    for (const Expected& file : {Expected{"gopro-karma.mp4", 125, 0.46, std::nullopt},
                                 Expected{"gopro-max-heromode.mp4", 102, 0.52, 4}}) {
        const std::string path = (movies / file.name).string();
        RecordingEntry node;
        node.filePath = path;
        node.layout = detectLayout(path);
        TelemetryTable table;
        ASSERT_GT(table.readRecording(node), 0) << path;
        const std::vector<GEvent> events = detectGEvents(table);
        ASSERT_EQ(kinds(events), Names{"braking"}) << path;
        EXPECT_EQ(events[0].entry, file.entry) << path;
        EXPECT_NEAR(events[0].peakG, file.peakG, 0.005) << path;
        EXPECT_EQ(events[0].speedKmh, file.speedKmh) << path;
    }
}

}  // namespace
