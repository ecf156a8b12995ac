#include <gtest/gtest.h>

#include "telemetry/telemetry_table.h"
#include "tests/telemetry/test_samples.h"

namespace {

using layout_writer::logLineText;
using layout_writer::scramble;

using SidecarReader = ReaderTest<readSidecarFile>;

TEST_F(SidecarReader, ReadsEveryLogLineWithCrLfOrLf)
{
    for (const char* lineEnd : {"\r\n", "\n"}) {
        layout_writer::SidecarOptions options;
        options.lineEnd = lineEnd;
        EXPECT_EQ(read(layout_writer::sidecar(makeSamples(4), options)), 40);
        expectMadeSamples(table, range(4));
    }
}

TEST_F(SidecarReader, LastLineWithoutLineEndCounts)
{
    std::string bytes = layout_writer::sidecar(makeSamples(2));
    bytes.resize(bytes.size() - 2);
    EXPECT_EQ(read(bytes), 20);
    expectMadeSamples(table, range(2));
}

TEST_F(SidecarReader, ShiftIsTheWeightedKeyDigitSum)
{
    // 1+1+1+1 + 2*9 + 1+1 + 2*1 = 26: the fifth digit counts twice.
    const std::string line = logLineText(makeSamples(1)[0]);
    EXPECT_EQ(read("11119111\r\n" + scramble(line, 26) + "\r\n"), 10);
    expectMadeSamples(table, {0});
    // 1*6 + 2*1 + 2*9 = 26 as well, from the eighth digit.
    EXPECT_EQ(read("11111119 trailing text\n" + scramble(line, 26) + "\n"), 10);
    expectMadeSamples(table, {0});
    // The largest shift.
    EXPECT_EQ(read("99999999\n" + scramble(line, 90) + "\n"), 10);
    expectMadeSamples(table, {0});
}

TEST_F(SidecarReader, EmptyFileAndKeyLineOnlyGiveNoEntries)
{
    EXPECT_EQ(read(""), 0);
    EXPECT_EQ(read("12345678\r\n"), 0);
    EXPECT_EQ(read("12345678"), 0);
}

TEST_F(SidecarReader, InvalidKeyLineAbandonsTheFile)
{
    const std::string lines = layout_writer::sidecar(makeSamples(2)).substr(10);
    for (int place = 0; place < 8; ++place) {
        std::string key = "12345678";
        key[place] = '0';
        EXPECT_EQ(read(key + "\r\n" + lines), 0) << key;
        EXPECT_EQ(table.count(), 0);
        key[place] = 'a';
        EXPECT_EQ(read(key + "\r\n" + lines), 0) << key;
    }
    EXPECT_EQ(read("1234567\r\n" + lines), 0);  // shorter than eight characters
    EXPECT_EQ(read("\n" + lines), 0);
}

TEST_F(SidecarReader, EmptyLineAddsTenEntriesWithoutPosition)
{
    const std::string bytes = layout_writer::sidecar(makeSamples(1));
    EXPECT_EQ(read(bytes + "\r\n" + bytes.substr(10)), 30);
    expectMadeSample(table, 0, 0);
    TelemetryEntry info;
    table.copyEntry(15, info);
    EXPECT_EQ(info.gX, 0.0f);
    EXPECT_FALSE(info.hasPosition());
    expectMadeSample(table, 29, 0);
}

// Key line read to its end; log lines cut into 1023-byte pieces, a line end alone is no piece.
TEST_F(SidecarReader, LongLinesAreCutIntoPiecesOf1023Bytes)
{
    const std::string line = scramble(logLineText(makeSamples(1)[0]), 49);  // key 12345678
    auto padded = [&](size_t length) {
        std::string text = line;
        text.resize(length, 'x');
        return text;
    };
    // A long key line does not spill into the log lines.
    EXPECT_EQ(read("12345678" + std::string(3000, '7') + "\r\n" + line + "\r\n"), 10);
    expectMadeSamples(table, {0});

    struct Case
    {
        size_t length;
        const char* lineEnd;
        int entries;
    };
    for (const Case& c : {Case{1022, "\r\n", 10}, Case{1023, "\r\n", 10}, Case{1023, "\n", 10},
                          Case{1024, "\n", 20}, Case{1500, "\r\n", 20}, Case{2046, "\r\n", 20},
                          Case{2046, "\n", 20}, Case{2047, "\n", 30}, Case{1023, "", 10}}) {
        EXPECT_EQ(read("12345678\r\n" + padded(c.length) + c.lineEnd + line + "\n"), c.entries + 10)
            << c.length << " bytes";
        expectMadeSample(table, 0, 0);          // the first piece keeps the sample's text
        expectMadeSample(table, c.entries, 0);  // the next line is whole
    }
}

TEST_F(SidecarReader, BinaryGarbageEndsWithoutCrash)
{
    std::string bytes = "12345678\n";
    for (int i = 0; i < 5000; ++i) {
        bytes += static_cast<char>((i * 7919) % 256);
    }
    const int count = read(bytes);
    EXPECT_GT(count, 0);
    EXPECT_EQ(count % 10, 0);
}

}  // namespace
