#include <gtest/gtest.h>

#include "assist_info_reader.h"
#include "test_samples.h"

namespace {

using namespace layout_writer;

using IcatReader = ReaderTest<&CAssistInfoReader::ReadICatMovie>;

TEST_F(IcatReader, ReadsEveryRecordUpToTheChipName)
{
    EXPECT_EQ(Read(IcatMovie(MakeSamples(5))), 50);
    ExpectMadeSamples(table, Range(5));
    // No trailing name: the records run to the end of the file all the same.
    IcatOptions noName;
    noName.chip = "";
    EXPECT_EQ(Read(IcatMovie(MakeSamples(2), noName)), 20);
    // A partial record at the end adds nothing.
    EXPECT_EQ(Read(IcatMovie(MakeSamples(2), noName) + std::string(131, 'x')), 20);
}

TEST_F(IcatReader, FreeFourthAtomMovesTheTelemetryToTheFifth)
{
    IcatOptions withFree;
    withFree.freeAtom = true;
    EXPECT_EQ(Read(IcatMovie(MakeSamples(3), withFree)), 30);
    ExpectMadeSamples(table, Range(3));
    // A fourth atom of another type is the telemetry atom itself.
    IcatOptions otherFourth;
    otherFourth.leadingAtoms = {Ftyp(), Atom("free", ""), Atom("moov", "")};
    EXPECT_EQ(Read(IcatMovie(MakeSamples(3), otherFourth)), 30);
    ExpectMadeSamples(table, Range(3));
}

TEST_F(IcatReader, ShiftIsTheWeightedSumOfWholeHeaderBytes)
{
    IcatOptions options;
    options.keyBytes = {200, 1, 2, 3, 4, 5, 6, 7};  // 200+1+2+3+8+5+6+14 = 239
    EXPECT_EQ(IcatShift(options.keyBytes), 239);
    EXPECT_EQ(Read(IcatMovie(MakeSamples(3), options)), 30);
    ExpectMadeSamples(table, Range(3));
    // Sums past 255 wrap: 8*255 + 2*255 = 2550 -> 246.
    options.keyBytes = {255, 255, 255, 255, 255, 255, 255, 255};
    EXPECT_EQ(Read(IcatMovie(MakeSamples(3), options)), 30);
    ExpectMadeSamples(table, Range(3));
}

TEST_F(IcatReader, TextIsDescrambledWithoutStoppingAtLineEnds)
{
    // Shift 230 stores '$' (0x24) as LF and '&'... as CR: the text must still come back.
    IcatOptions options;
    options.keyBytes = {230, 0, 0, 0, 0, 0, 0, 0};
    const std::string record = IcatRecord(MakeSamples(1)[0], 230);
    EXPECT_EQ(record[6], '\n');
    EXPECT_EQ(Read(IcatMovie(MakeSamples(2), options)), 20);
    ExpectMadeSamples(table, Range(2));
}

TEST_F(IcatReader, AxesHaveNoRangeCheckAndWrapAsSigned16Bit)
{
    std::vector<Sample> samples = {{20000, -32768, 32767, ""}};
    IcatOptions options;
    options.keyBytes = {100, 100, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Read(IcatMovie(samples, options)), 10);
    tagAssistInfo info;
    table.GetAssistInfo(0, info);
    EXPECT_FLOAT_EQ(info.fX, 20.0f);
    EXPECT_FLOAT_EQ(info.fY, -32.768f);
    EXPECT_FLOAT_EQ(info.fZ, 32.767f);
    EXPECT_FALSE(info.HasPosition());
}

TEST_F(IcatReader, OnlyRmcSentencesArePositioned)
{
    std::vector<Sample> samples = {{1, 2, 3, Gga(22.5, 113.5)}, {1, 2, 3, Rmc(22.5, 113.5, 1, 2)}};
    EXPECT_EQ(Read(IcatMovie(samples)), 20);
    EXPECT_FALSE(table.Find(0)->HasPosition());
    EXPECT_EQ(table.Find(10)->strLatitude, "22.500000");
    // A sentence filling all 126 bytes has no zero after it and is still cut there.
    samples = {{1, 2, 3, Rmc(22.5, 113.5, 1, 2) + std::string(200, ',')}};
    EXPECT_EQ(Read(IcatMovie(samples)), 10);
    EXPECT_EQ(table.Find(0)->strLatitude, "22.500000");
}

TEST_F(IcatReader, WrongMarkerGivesNoTelemetry)
{
    IcatOptions options;
    options.marker = "vorlan2";
    EXPECT_EQ(Read(IcatMovie(MakeSamples(3), options)), 0);
    EXPECT_EQ(table.GetCount(), 0);
}

TEST_F(IcatReader, SizesBelowEightOrPastTheEndGiveNoTelemetry)
{
    const std::string good = IcatMovie(MakeSamples(2));
    // The four sizes: at 0, after ftyp (20), after mdat (20 + 72), at the telemetry atom.
    const size_t sizeAt[4] = {0, 20, 92, 92 + 116};
    ASSERT_EQ(good.substr(sizeAt[3] + 4, 4), "gps ");
    for (size_t at : sizeAt) {
        for (uint32_t size : {0u, 1u, 7u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
            std::string bad = good;
            PatchBE32(bad, at, size);
            EXPECT_EQ(Read(bad), 0) << "size " << size << " at " << at;
        }
    }
    EXPECT_EQ(Read(good), 20);
    // Short files.
    EXPECT_EQ(Read(""), 0);
    EXPECT_EQ(Read(good.substr(0, 100)), 0);
    EXPECT_EQ(Read(good.substr(0, sizeAt[3] + 20)), 0);  // header cut short
}

}  // namespace
