#include <gtest/gtest.h>

#include "telemetry/recording_entry.h"
#include "telemetry/telemetry_table.h"
#include "tests/telemetry/temp_dir.h"
#include "tests/telemetry/test_samples.h"

namespace {

void expectMiss(const TelemetryTable& table, int index)
{
    TelemetryEntry info;
    info.position = Position{};
    info.speedKmh = 99;
    EXPECT_EQ(table.copyEntry(index, info), -1) << index;
    EXPECT_FALSE(info.position);
    EXPECT_EQ(info.gX, 0.0f);
    EXPECT_EQ(info.gY, 0.0f);
    EXPECT_EQ(info.gZ, 0.0f);
    EXPECT_EQ(info.speedKmh, 0);
    EXPECT_EQ(info.course, 0.0);
    EXPECT_FALSE(info.hasPosition());
}

TEST(AssistTable, EmptyTableMissesEveryIndex)
{
    TelemetryTable table;
    EXPECT_EQ(table.count(), 0);
    for (int index : {-1, 0, 1, 10}) {
        expectMiss(table, index);
    }
}

TEST(AssistTable, TenEntriesPerSampleInLogOrderAndMissesOutside)
{
    TelemetryTable table;
    for (const layout_writer::Sample& sample : makeSamples(3)) {
        std::string line = layout_writer::logLineText(sample);
        table.parseAssistLine(line.data(), 0);
    }
    expectMadeSamples(table, {0, 1, 2});
    expectMadeSample(table, table.count() - 1, 2);  // the tenth copy of the last sample
    expectMiss(table, table.count());
    expectMiss(table, -1);
    expectMiss(table, -10);
    table.clear();
    EXPECT_EQ(table.count(), 0);
}

TEST(AssistTable, SampleWithoutPositionStillAddsTenEntries)
{
    TelemetryTable table;
    std::string line = "1\t2\t3\t$GPRMC,,V,,,,,,,,,,N*53";
    table.parseAssistLine(line.data(), 0);
    ASSERT_EQ(table.count(), 10);
    TelemetryEntry info;
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(table.copyEntry(i, info), 0);
        EXPECT_FALSE(info.hasPosition());  // empty fields are no track point
    }
}

// Every reader empties the table first, also when the file cannot be opened.
TEST(AssistTable, ReadersOnUnopenablePathsLeaveAnEmptyTable)
{
    TempDir dir;
    const std::string missing = (dir.path() / "missing.MOV").string();
    const std::string folder = dir.path().string();
    for (PathReader reader : {&readSidecarFile, &readMovie<icatLayout>, &readMovie<nt96650Layout>,
                              &readMovie<a7lLayout>}) {
        for (const std::string& path : {missing, folder, std::string("a.b"), std::string()}) {
            TelemetryTable table;
            std::string line = "1 2 3";
            table.parseAssistLine(line.data(), 0);
            EXPECT_EQ(reader(path, table), -1) << path;
            EXPECT_EQ(table.count(), 0) << path;
        }
    }
}

TEST(AssistTable, ShortPathRuleCountsCharactersNotBytes)
{
    TempDir dir;
    std::filesystem::current_path(dir.path());
    layout_writer::writeFile("\xC3\xA9.DA",
                             layout_writer::sidecar(makeSamples(1)));                // 4 characters
    layout_writer::writeFile("\xC3\xA9.D", layout_writer::sidecar(makeSamples(1)));  // 3 characters
    TelemetryTable table;
    EXPECT_EQ(readSidecarFile("\xC3\xA9.DA", table), 10);
    EXPECT_EQ(readSidecarFile("\xC3\xA9.D", table), -1);
    std::filesystem::current_path(std::filesystem::temp_directory_path());
}

}  // namespace

namespace {

// A sidecar of empty log lines: each one is a sample of its own.
TEST(AssistTable, TheTableHoldsWhatTheRecordingCanShowNotWhatTheLogClaims)
{
    TempDir dir;
    std::string lines = "12345678\n";
    for (int i = 0; i < kMaxTableSamples + 500; ++i) {
        lines += "\n";
    }
    RecordingEntry node;
    node.filePath = dir.write("A.MOV", "");
    node.sidecarPath = dir.write("A.DAT", lines);
    node.layout = Layout::Sidecar;

    TelemetryTable table;
    EXPECT_EQ(table.readRecording(node, 179.5), (180 + kTableMarginSamples) * kEntriesPerSample);
    EXPECT_EQ(table.readRecording(node), kMaxTableSamples * kEntriesPerSample);
    EXPECT_EQ(table.readRecording(node, 1e9), kMaxTableSamples * kEntriesPerSample);
}

}  // namespace
