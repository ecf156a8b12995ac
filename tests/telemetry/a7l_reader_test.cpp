#include <gtest/gtest.h>

#include "telemetry/telemetry_table.h"
#include "tests/telemetry/test_samples.h"

namespace {

using namespace layout_writer;

using A7lReader = ReaderTest<readMovie<a7lLayout>>;

TEST_F(A7lReader, KeySampleFirstThenOneEntryBlockPerSample)
{
    EXPECT_EQ(read(a7lMovie(makeSamples(4))), 40);
    expectMadeSamples(table, range(4));
    EXPECT_EQ(read(a7lMovie(makeSamples(4), {.keyDigits = "99999999", .lineEnd = "\n"})), 40);
    expectMadeSamples(table, range(4));
}

TEST_F(A7lReader, SamplesBeforeTheKeyAreReplayedInOrder)
{
    A7lOptions options;
    options.keyIndex = 3;  // the fourth chunk
    EXPECT_EQ(read(a7lMovie(makeSamples(6), options)), 60);
    expectMadeSamples(table, range(6));
}

TEST_F(A7lReader, OnlyTheFirstTwentyEarlySamplesAreKept)
{
    A7lOptions options;
    options.keyIndex = 25;
    std::vector<int> expected = range(20);
    for (int i = 25; i < 30; ++i) {
        expected.push_back(i);
    }
    EXPECT_EQ(read(a7lMovie(makeSamples(30), options)), 250);
    expectMadeSamples(table, expected);
}

TEST_F(A7lReader, WithoutKeySampleNothingIsParsed)
{
    A7lOptions options;
    options.keyIndex = std::nullopt;
    EXPECT_EQ(read(a7lMovie(makeSamples(5), options)), 0);
}

TEST_F(A7lReader, LengthElevenAfterTheKeyIsALogLine)
{
    const int shift = keyDigitSum("12345678");
    const std::vector<std::string> chunks = {a7lKeyText("12345678"),
                                             " " + scramble("1 2 3 $GP", shift) + "\n",
                                             a7lSampleText(makeSamples(1)[0], shift, "\r\n")};
    ASSERT_EQ(chunks[1].size(), 11u);
    EXPECT_EQ(read(a7lMovieFromChunks(chunks)), 20);
    EXPECT_FLOAT_EQ(table.find(0)->gZ, 0.003f);
    expectMadeSample(table, 10, 0);
}

TEST_F(A7lReader, FirstByteOfEverySampleIsIgnored)
{
    const int shift = keyDigitSum("12345678");
    std::string key = a7lKeyText("12345678");
    key[0] = '7';
    std::string sample = a7lSampleText(makeSamples(1)[0], shift, "");
    sample[0] = '9';  // would be read as part of the X axis
    EXPECT_EQ(read(a7lMovieFromChunks({key, sample})), 10);
    expectMadeSamples(table, {0});
}

TEST_F(A7lReader, TelemetryIsInTheThirdTrack)
{
    A7lOptions options;
    options.trackCount = 2;
    EXPECT_EQ(read(a7lMovie(makeSamples(3), options)), 0);
    options.trackCount = 5;
    EXPECT_EQ(read(a7lMovie(makeSamples(3), options)), 30);
    expectMadeSamples(table, range(3));
}

TEST_F(A7lReader, LongSampleKeepsItsFirst127Bytes)
{
    // The log line is cut after byte 126 of the sample, in the middle of the course field.
    const int shift = keyDigitSum("12345678");
    std::string line = "1\t2\t3\t$GPRMC,1,A,2232.1234,N,11354.1234,E,10.0,";
    line.insert(line.find(",A,"), std::string(125 - line.size(), '0'));
    line += "271.5," + std::string(100, '9');
    const std::string text = " " + scramble(line, shift);
    ASSERT_GT(text.size(), 127u);
    ASSERT_EQ(text.substr(0, 127).size() - 1, line.find("71.5"));
    EXPECT_EQ(read(a7lMovieFromChunks({a7lKeyText("12345678"), text})), 10);
    EXPECT_DOUBLE_EQ(table.find(0)->course, 2.0);
    EXPECT_EQ(table.find(0)->speedKmh, 18);
}

TEST_F(A7lReader, UnreadableChunkEndsTheReadingAndTheCountStands)
{
    std::string bytes = a7lMovie(makeSamples(4));
    const size_t stco =
        findAtom(bytes, "stco", findAtom(bytes, "stco", findAtom(bytes, "stco") + 8) + 8);
    ASSERT_NE(stco, std::string::npos);
    // Chunk 0 is the key; chunk 3 (sample 2) now points past the end of the file.
    std::string pastEnd = bytes;
    patchBE32(pastEnd, stco + 16 + 3 * 4, static_cast<uint32_t>(bytes.size() - 1));
    EXPECT_EQ(read(pastEnd), 20);
    expectMadeSamples(table, range(2));
    // A length that runs past the end of the file.
    std::string longLength = bytes;
    const size_t lastChunk = bytes.size() - a7lSampleText(makeSamples(4)[3], 0, "\r\n").size() - 2;
    longLength.replace(lastChunk, 2, be16(200));
    EXPECT_EQ(read(longLength), 30);
    expectMadeSamples(table, range(3));
    // A huge entry count reads only the listed chunks.
    std::string hugeCount = bytes;
    patchBE32(hugeCount, stco + 12, 0xFFFFFFFFu);
    EXPECT_EQ(read(hugeCount), 40);
}

TEST_F(A7lReader, MissingAtomsGiveNothing)
{
    EXPECT_EQ(
        read(ftypAtom() + Atom("moov", mvhdAtom(0) + trakAtom("") + trakAtom("") + trakAtom(""))),
        0);
    EXPECT_EQ(read(ftypAtom()), 0);
    EXPECT_EQ(read(""), 0);
}

}  // namespace
