#include <gtest/gtest.h>

#include "assist_info_reader.h"
#include "recording_entry.h"
#include "temp_dir.h"
#include "test_samples.h"

namespace {

void ExpectMiss(const CAssistInfoReader& table, int index)
{
    tagAssistInfo info;
    info.strLatitude = "stale";
    info.nSpeed = 99;
    EXPECT_EQ(table.GetAssistInfo(index, info), -1) << index;
    EXPECT_EQ(info.strLatitude, "0");
    EXPECT_EQ(info.strLongitude, "0");
    EXPECT_EQ(info.fX, 0.0f);
    EXPECT_EQ(info.fY, 0.0f);
    EXPECT_EQ(info.fZ, 0.0f);
    EXPECT_EQ(info.nSpeed, 0);
    EXPECT_EQ(info.dCourse, 0.0);
    EXPECT_FALSE(info.HasPosition());
}

TEST(AssistTable, EmptyTableMissesEveryIndex)
{
    CAssistInfoReader table;
    EXPECT_EQ(table.GetCount(), 0);
    for (int index : {-1, 0, 1, 10})
        ExpectMiss(table, index);
}

TEST(AssistTable, TenEntriesPerSampleInLogOrderAndMissesOutside)
{
    CAssistInfoReader table;
    for (const layout_writer::Sample& sample : MakeSamples(3)) {
        std::string line = layout_writer::LogLineText(sample);
        table.ParseAssistLine(line.data(), 0);
    }
    ExpectMadeSamples(table, {0, 1, 2});
    ExpectMadeSample(table, table.GetCount() - 1, 2);  // the tenth copy of the last sample
    ExpectMiss(table, table.GetCount());
    ExpectMiss(table, -1);
    ExpectMiss(table, -10);
    table.Clear();
    EXPECT_EQ(table.GetCount(), 0);
}

TEST(AssistTable, SampleWithoutPositionStillAddsTenEntries)
{
    CAssistInfoReader table;
    std::string line = "1\t2\t3\t$GPRMC,,V,,,,,,,,,,N*53";
    table.ParseAssistLine(line.data(), 0);
    ASSERT_EQ(table.GetCount(), 10);
    tagAssistInfo info;
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(table.GetAssistInfo(i, info), 0);
        EXPECT_FALSE(info.HasPosition());  // "0" texts are no track point
    }
}

// Every reader empties the table first, also when the file cannot be opened.
TEST(AssistTable, ReadersOnUnopenablePathsLeaveAnEmptyTable)
{
    TempDir dir;
    const std::string missing = (dir.Path() / "missing.MOV").string();
    const std::string folder = dir.Path().string();
    using Reader = int (CAssistInfoReader::*)(const std::string&);
    for (Reader reader : {&CAssistInfoReader::ReadDatFile, &CAssistInfoReader::ReadICatMovie,
                          &CAssistInfoReader::ReadNT96650Movie, &CAssistInfoReader::ReadA7LMovie}) {
        for (const std::string& path : {missing, folder, std::string("a.b"), std::string()}) {
            CAssistInfoReader table;
            std::string line = "1 2 3";
            table.ParseAssistLine(line.data(), 0);
            EXPECT_EQ((table.*reader)(path), -1) << path;
            EXPECT_EQ(table.GetCount(), 0) << path;
        }
    }
}

TEST(AssistTable, ShortPathRuleCountsCharactersNotBytes)
{
    TempDir dir;
    std::filesystem::current_path(dir.Path());
    layout_writer::WriteFile("\xC3\xA9.DA", layout_writer::Sidecar(MakeSamples(1)));  // 4 characters
    layout_writer::WriteFile("\xC3\xA9.D", layout_writer::Sidecar(MakeSamples(1)));   // 3 characters
    CAssistInfoReader table;
    EXPECT_EQ(table.ReadDatFile("\xC3\xA9.DA"), 10);
    EXPECT_EQ(table.ReadDatFile("\xC3\xA9.D"), -1);
    std::filesystem::current_path(std::filesystem::temp_directory_path());
}

}  // namespace

namespace {

// A sidecar of empty log lines: each one is a sample of its own.
TEST(AssistTable, TheTableHoldsWhatTheRecordingCanShowNotWhatTheLogClaims)
{
    TempDir dir;
    std::string lines = "12345678\n";
    for (int i = 0; i < kMaxTableSamples + 500; ++i)
        lines += "\n";
    tagFileNode node;
    node.strFilePath = dir.Write("A.MOV", "");
    node.strGpsPath = dir.Write("A.DAT", lines);
    node.layout = Layout::Sidecar;

    CAssistInfoReader table;
    EXPECT_EQ(table.ReadRecording(node, 179.5), (180 + kTableMarginSamples) * ENTRIES_PER_SAMPLE);
    EXPECT_EQ(table.ReadRecording(node), kMaxTableSamples * ENTRIES_PER_SAMPLE);
    EXPECT_EQ(table.ReadRecording(node, 1e9), kMaxTableSamples * ENTRIES_PER_SAMPLE);
}

}  // namespace
