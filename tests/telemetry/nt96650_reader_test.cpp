#include <gtest/gtest.h>

#include "telemetry/telemetry_table.h"
#include "tests/telemetry/test_samples.h"

namespace {

using namespace layout_writer;

using Nt96650Reader = ReaderTest<readMovie<nt96650Layout>>;

TEST_F(Nt96650Reader, FirstTrackOneBlockPerThirtyVideoSamples)
{
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(4))), 40);
    expectMadeSamples(table, range(4));
    // 95 video samples make 3 complete groups, 29 none.
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(4), {.videoSampleCount = 95})), 30);
    expectMadeSamples(table, range(3));
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(4), {.videoSampleCount = 29})), 0);
}

TEST_F(Nt96650Reader, BlockPositionIsRoundedUpTo32KiB)
{
    // Sample 29 at offset 100000 with size 5000 ends at 105000: its block lies at 131072.
    Nt96650Options options;
    options.videoSampleSize = 5000;
    options.firstBlockSlot = 4;
    options.slack = 131072 - 105000;
    const SparseFile file = nt96650FirstTrackMovie(makeSamples(1), options);
    const std::string bytes = file.flatten();
    const size_t stco = findAtom(bytes, "stco");
    ASSERT_NE(stco, std::string::npos);
    EXPECT_EQ(bytes.substr(stco + 16 + 29 * 4, 4), BE32(100000));
    EXPECT_EQ(read(file), 10);
    expectMadeSamples(table, {0});
    // A sum that is already a multiple of 32768 stays where it is.
    options.slack = 0;
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(3), options)), 30);
    expectMadeSamples(table, range(3));
}

TEST_F(Nt96650Reader, UniformSampleSize)
{
    Nt96650Options options;
    options.uniformSize = true;
    options.videoSampleSize = 7001;
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(3), options)), 30);
    expectMadeSamples(table, range(3));
}

TEST_F(Nt96650Reader, GroupsNeedBothTables)
{
    // The chunk table lists only 60 of 90 samples: two blocks.
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(3), {.chunkCount = 60})), 20);
    expectMadeSamples(table, range(2));
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(3), {.chunkCount = 59})), 10);
    // Uniform sizes with 60 samples counted and a longer chunk table: two blocks.
    const Nt96650Options uniform{.uniformSize = true, .stszCountField = 60};
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(3), uniform)), 20);
}

TEST_F(Nt96650Reader, HugeCountsReadOnlyWhatTheFileHolds)
{
    Nt96650Options options;
    options.stszCountField = 0xFFFFFFFFu;
    options.stcoCountField = 0xFFFFFFFFu;
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(3), options)), 30);
    expectMadeSamples(table, range(3));
    options.uniformSize = true;
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(3), options)), 30);
    expectMadeSamples(table, range(3));
    Nt96650Options second;
    std::string bytes = nt96650SecondTrackMovie(makeSamples(3), second);
    patchBE32(bytes, findAtom(bytes, "stco", findAtom(bytes, "stco") + 8) + 12, 0xFFFFFFFFu);
    EXPECT_EQ(read(bytes), 30);
}

TEST_F(Nt96650Reader, ChunkTableIsTheAtomAfterStszWhateverItsType)
{
    std::string bytes = nt96650FirstTrackMovie(makeSamples(2)).flatten();
    bytes.replace(findAtom(bytes, "stco") + 4, 4, "xyzw");
    EXPECT_EQ(read(bytes), 20);
    expectMadeSamples(table, range(2));
    // Nothing after stsz inside stbl: no blocks.
    std::string noTable = bytes;
    const size_t stbl = findAtom(noTable, "stbl");
    const size_t stsz = findAtom(noTable, "stsz");
    patchBE32(noTable, stbl, static_cast<uint32_t>(stsz - stbl) + (90 * 4 + 20));
    EXPECT_EQ(read(noTable), 0);
}

TEST_F(Nt96650Reader, SecondTrackBlocksAt65536PastEachChunk)
{
    EXPECT_EQ(read(nt96650SecondTrackMovie(makeSamples(5))), 50);
    expectMadeSamples(table, range(5));
}

TEST_F(Nt96650Reader, MovieEndRightAfterTheFirstTrackChoosesIt)
{
    Nt96650Options options;
    options.udtaFirst = true;
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(2), options)), 20);
    expectMadeSamples(table, range(2));
    // A broken atom after the first track is no choice at all.
    std::string bytes = nt96650FirstTrackMovie(makeSamples(2)).flatten();
    patchBE32(bytes, findAtom(bytes, "udta"), 3);
    EXPECT_EQ(read(bytes), 0);
}

TEST_F(Nt96650Reader, KeyIsTakenAnewForEveryBlockAndMayHoldZeros)
{
    Nt96650Options options;
    options.keyDigits = {"00000000", "12345678", "90000009", "99999999"};
    EXPECT_EQ(read(nt96650SecondTrackMovie(makeSamples(4), options)), 40);
    expectMadeSamples(table, range(4));
    EXPECT_EQ(read(nt96650FirstTrackMovie(makeSamples(4), options)), 40);
    expectMadeSamples(table, range(4));
}

TEST_F(Nt96650Reader, AxesOutOfRangeBecomeZeroAndThePositionStays)
{
    std::vector<Sample> samples = makeSamples(3);
    samples[0].x = 10001;
    samples[1].z = -10001;
    samples[2] = {10000, -10000, 5, samples[2].sentence};
    EXPECT_EQ(read(nt96650SecondTrackMovie(samples)), 30);
    for (int entry : {0, 10}) {
        EXPECT_EQ(table.find(entry)->gX, 0.0f);
        EXPECT_EQ(table.find(entry)->gY, 0.0f);
        EXPECT_EQ(table.find(entry)->gZ, 0.0f);
        EXPECT_TRUE(table.find(entry)->hasPosition());
    }
    EXPECT_FLOAT_EQ(table.find(20)->gX, 10.0f);
    EXPECT_FLOAT_EQ(table.find(20)->gY, -10.0f);
}

TEST_F(Nt96650Reader, GgaGivesPositionWithoutSpeed)
{
    EXPECT_EQ(read(nt96650SecondTrackMovie({{1, 2, 3, gga(-33.5, 151.25)}})), 10);
    EXPECT_EQ(latitudeText(*table.find(0)), "-33.500000");
    EXPECT_EQ(longitudeText(*table.find(0)), "151.250000");
    EXPECT_EQ(table.find(0)->speedKmh, 0);
}

TEST_F(Nt96650Reader, SentenceNeverRunsPastTheScrambledArea)
{
    // 127 bytes of sentence and no CR LF: the course field ends the area; the plain key
    // digits right after it must not extend it.
    std::string sentence = "$GPRMC,1,A,2232.1234,N,11354.1234,E,10.0,";
    const std::string course = "45";
    sentence.insert(7, std::string(127 - sentence.size() - course.size(), '0'));
    sentence += course;
    ASSERT_EQ(sentence.size(), 127u);
    Nt96650Options options;
    options.crlf = false;
    EXPECT_EQ(read(nt96650SecondTrackMovie({{1, 2, 3, sentence}}, options)), 10);
    EXPECT_DOUBLE_EQ(table.find(0)->course, 45.0);
    EXPECT_EQ(table.find(0)->speedKmh, 18);
}

TEST_F(Nt96650Reader, BlocksPastTheEndReadAsZeros)
{
    std::string bytes = nt96650SecondTrackMovie(makeSamples(3));
    bytes.resize(bytes.size() - 2 * kNtBlockSpan + 100);  // third block cut, second partly
    EXPECT_EQ(read(bytes), 30);
    expectMadeSample(table, 0, 0);
    EXPECT_FALSE(table.find(29)->hasPosition());
    EXPECT_EQ(table.find(29)->gX, 0.0f);
}

TEST_F(Nt96650Reader, NoTrackOrNoMovieGivesNothing)
{
    EXPECT_EQ(read(ftypAtom() + Atom("moov", mvhdAtom(0) + udtaAtom("NT96650A"))), 0);
    EXPECT_EQ(read(ftypAtom() + Atom("mdat", "")), 0);
    EXPECT_EQ(read(Atom("moov", trakAtom(""))), 0);
    EXPECT_EQ(read(""), 0);
}

}  // namespace
