#include <gtest/gtest.h>

#include "assist_info_reader.h"
#include "test_samples.h"

namespace {

using namespace layout_writer;

using A7lReader = ReaderTest<&CAssistInfoReader::ReadA7LMovie>;

TEST_F(A7lReader, KeySampleFirstThenOneEntryBlockPerSample)
{
    EXPECT_EQ(Read(A7lMovie(MakeSamples(4))), 40);
    ExpectMadeSamples(table, Range(4));
    A7lOptions lf;
    lf.lineEnd = "\n";
    lf.keyDigits = "99999999";
    EXPECT_EQ(Read(A7lMovie(MakeSamples(4), lf)), 40);
    ExpectMadeSamples(table, Range(4));
}

TEST_F(A7lReader, SamplesBeforeTheKeyAreReplayedInOrder)
{
    A7lOptions options;
    options.keyIndex = 3;  // the fourth chunk
    EXPECT_EQ(Read(A7lMovie(MakeSamples(6), options)), 60);
    ExpectMadeSamples(table, Range(6));
}

TEST_F(A7lReader, OnlyTheFirstTwentyEarlySamplesAreKept)
{
    A7lOptions options;
    options.keyIndex = 25;
    std::vector<int> expected = Range(20);
    for (int i = 25; i < 30; ++i)
        expected.push_back(i);
    EXPECT_EQ(Read(A7lMovie(MakeSamples(30), options)), 250);
    ExpectMadeSamples(table, expected);
}

TEST_F(A7lReader, WithoutKeySampleNothingIsParsed)
{
    A7lOptions options;
    options.keyIndex = std::nullopt;
    EXPECT_EQ(Read(A7lMovie(MakeSamples(5), options)), 0);
}

TEST_F(A7lReader, LengthElevenAfterTheKeyIsALogLine)
{
    const int shift = KeyDigitSum("12345678");
    const std::vector<std::string> chunks = {A7lKeyText("12345678"),
                                             " " + Scramble("1 2 3 $GP", shift) + "\n",
                                             A7lSampleText(MakeSamples(1)[0], shift, "\r\n")};
    ASSERT_EQ(chunks[1].size(), 11u);
    EXPECT_EQ(Read(A7lMovieFromChunks(chunks)), 20);
    EXPECT_FLOAT_EQ(table.Find(0)->fZ, 0.003f);
    ExpectMadeSample(table, 10, 0);
}

TEST_F(A7lReader, FirstByteOfEverySampleIsIgnored)
{
    const int shift = KeyDigitSum("12345678");
    std::string key = A7lKeyText("12345678");
    key[0] = '7';
    std::string sample = A7lSampleText(MakeSamples(1)[0], shift, "");
    sample[0] = '9';  // would be read as part of the X axis
    EXPECT_EQ(Read(A7lMovieFromChunks({key, sample})), 10);
    ExpectMadeSamples(table, {0});
}

TEST_F(A7lReader, TelemetryIsInTheThirdTrack)
{
    A7lOptions options;
    options.trackCount = 2;
    EXPECT_EQ(Read(A7lMovie(MakeSamples(3), options)), 0);
    options.trackCount = 5;
    EXPECT_EQ(Read(A7lMovie(MakeSamples(3), options)), 30);
    ExpectMadeSamples(table, Range(3));
}

TEST_F(A7lReader, LongSampleKeepsItsFirst127Bytes)
{
    // The log line is cut after byte 126 of the sample, in the middle of the course field.
    const int shift = KeyDigitSum("12345678");
    std::string line = "1\t2\t3\t$GPRMC,1,A,2232.1234,N,11354.1234,E,10.0,";
    line.insert(line.find(",A,"), std::string(125 - line.size(), '0'));
    line += "271.5," + std::string(100, '9');
    const std::string text = " " + Scramble(line, shift);
    ASSERT_GT(text.size(), 127u);
    ASSERT_EQ(text.substr(0, 127).size() - 1, line.find("71.5"));
    EXPECT_EQ(Read(A7lMovieFromChunks({A7lKeyText("12345678"), text})), 10);
    EXPECT_DOUBLE_EQ(table.Find(0)->dCourse, 2.0);
    EXPECT_EQ(table.Find(0)->nSpeed, 18);
}

TEST_F(A7lReader, UnreadableChunkEndsTheReadingAndTheCountStands)
{
    std::string bytes = A7lMovie(MakeSamples(4));
    const size_t stco = FindAtom(bytes, "stco", FindAtom(bytes, "stco", FindAtom(bytes, "stco") + 8) + 8);
    ASSERT_NE(stco, std::string::npos);
    // Chunk 0 is the key; chunk 3 (sample 2) now points past the end of the file.
    std::string pastEnd = bytes;
    PatchBE32(pastEnd, stco + 16 + 3 * 4, static_cast<uint32_t>(bytes.size() - 1));
    EXPECT_EQ(Read(pastEnd), 20);
    ExpectMadeSamples(table, Range(2));
    // A length that runs past the end of the file.
    std::string longLength = bytes;
    const size_t lastChunk = bytes.size() - A7lSampleText(MakeSamples(4)[3], 0, "\r\n").size() - 2;
    longLength.replace(lastChunk, 2, BE16(200));
    EXPECT_EQ(Read(longLength), 30);
    ExpectMadeSamples(table, Range(3));
    // A huge entry count reads only the listed chunks.
    std::string hugeCount = bytes;
    PatchBE32(hugeCount, stco + 12, 0xFFFFFFFFu);
    EXPECT_EQ(Read(hugeCount), 40);
}

TEST_F(A7lReader, MissingAtomsGiveNothing)
{
    EXPECT_EQ(Read(Ftyp() + Atom("moov", Mvhd(0) + Trak("") + Trak("") + Trak(""))), 0);
    EXPECT_EQ(Read(Ftyp()), 0);
    EXPECT_EQ(Read(""), 0);
}

}  // namespace
