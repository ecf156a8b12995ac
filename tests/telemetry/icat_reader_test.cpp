#include <gtest/gtest.h>

#include "telemetry/telemetry_table.h"
#include "tests/telemetry/test_samples.h"

namespace {

using namespace layout_writer;

using IcatReader = ReaderTest<readMovie<icatLayout>>;

TEST_F(IcatReader, ReadsEveryRecordUpToTheChipName)
{
    EXPECT_EQ(read(icatMovie(makeSamples(5))), 50);
    expectMadeSamples(table, range(5));
    // No trailing name: the records run to the end of the file all the same.
    IcatOptions noName;
    noName.chip = "";
    EXPECT_EQ(read(icatMovie(makeSamples(2), noName)), 20);
    // A partial record at the end adds nothing.
    EXPECT_EQ(read(icatMovie(makeSamples(2), noName) + std::string(131, 'x')), 20);
}

TEST_F(IcatReader, FreeFourthAtomMovesTheTelemetryToTheFifth)
{
    IcatOptions withFree;
    withFree.freeAtom = true;
    EXPECT_EQ(read(icatMovie(makeSamples(3), withFree)), 30);
    expectMadeSamples(table, range(3));
    // A fourth atom of another type is the telemetry atom itself.
    IcatOptions otherFourth;
    otherFourth.leadingAtoms = {ftypAtom(), Atom("free", ""), Atom("moov", "")};
    EXPECT_EQ(read(icatMovie(makeSamples(3), otherFourth)), 30);
    expectMadeSamples(table, range(3));
}

TEST_F(IcatReader, ShiftIsTheWeightedSumOfWholeHeaderBytes)
{
    IcatOptions options;
    options.keyBytes = {200, 1, 2, 3, 4, 5, 6, 7};  // 200+1+2+3+8+5+6+14 = 239
    EXPECT_EQ(icatShift(options.keyBytes), 239);
    EXPECT_EQ(read(icatMovie(makeSamples(3), options)), 30);
    expectMadeSamples(table, range(3));
    // Sums past 255 wrap: 8*255 + 2*255 = 2550 -> 246.
    options.keyBytes = {255, 255, 255, 255, 255, 255, 255, 255};
    EXPECT_EQ(read(icatMovie(makeSamples(3), options)), 30);
    expectMadeSamples(table, range(3));
}

TEST_F(IcatReader, TextIsDescrambledWithoutStoppingAtLineEnds)
{
    // Shift 230 stores '$' (0x24) as LF and '&'... as CR: the text must still come back.
    IcatOptions options;
    options.keyBytes = {230, 0, 0, 0, 0, 0, 0, 0};
    const std::string record = icatRecord(makeSamples(1)[0], 230);
    EXPECT_EQ(record[6], '\n');
    EXPECT_EQ(read(icatMovie(makeSamples(2), options)), 20);
    expectMadeSamples(table, range(2));
}

TEST_F(IcatReader, AxesHaveNoRangeCheckAndWrapAsSigned16Bit)
{
    std::vector<Sample> samples = {{20000, -32768, 32767, ""}};
    IcatOptions options;
    options.keyBytes = {100, 100, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(read(icatMovie(samples, options)), 10);
    TelemetryEntry info;
    table.copyEntry(0, info);
    EXPECT_FLOAT_EQ(info.gX, 20.0f);
    EXPECT_FLOAT_EQ(info.gY, -32.768f);
    EXPECT_FLOAT_EQ(info.gZ, 32.767f);
    EXPECT_FALSE(info.hasPosition());
}

TEST_F(IcatReader, OnlyRmcSentencesArePositioned)
{
    std::vector<Sample> samples = {{1, 2, 3, gga(22.5, 113.5)}, {1, 2, 3, rmc(22.5, 113.5, 1, 2)}};
    EXPECT_EQ(read(icatMovie(samples)), 20);
    EXPECT_FALSE(table.find(0)->hasPosition());
    EXPECT_EQ(latitudeText(*table.find(10)), "22.500000");
    // A sentence filling all 126 bytes has no zero after it and is still cut there.
    samples = {{1, 2, 3, rmc(22.5, 113.5, 1, 2) + std::string(200, ',')}};
    EXPECT_EQ(read(icatMovie(samples)), 10);
    EXPECT_EQ(latitudeText(*table.find(0)), "22.500000");
}

TEST_F(IcatReader, WrongMarkerGivesNoTelemetry)
{
    IcatOptions options;
    options.marker = "vorlan2";
    EXPECT_EQ(read(icatMovie(makeSamples(3), options)), 0);
    EXPECT_EQ(table.count(), 0);
}

TEST_F(IcatReader, BrokenSizesOrSizesPastTheEndGiveNoTelemetry)
{
    const std::string good = icatMovie(makeSamples(2));
    // The four sizes: at 0, after ftyp (20), after mdat (20 + 72), at the telemetry atom.
    const size_t sizeAt[4] = {0, 20, 92, 92 + 116};
    ASSERT_EQ(good.substr(sizeAt[3] + 4, 4), "gps ");
    for (size_t at : sizeAt) {
        for (uint32_t size : {0u, 1u, 7u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
            std::string bad = good;
            patchBE32(bad, at, size);
            // Size 0 runs to the end of the file: fine for the last atom, the log.
            EXPECT_EQ(read(bad), size == 0 && at == sizeAt[3] ? 20 : 0)
                << "size " << size << " at " << at;
        }
    }
    EXPECT_EQ(read(good), 20);
    // Short files.
    EXPECT_EQ(read(""), 0);
    EXPECT_EQ(read(good.substr(0, 100)), 0);
    EXPECT_EQ(read(good.substr(0, sizeAt[3] + 20)), 0);  // header cut short
}

}  // namespace
