#include <gtest/gtest.h>

#include "telemetry/chip_detect.h"
#include "telemetry/layout_reader.h"
#include "telemetry/movie_header.h"
#include "tests/telemetry/temp_dir.h"
#include "tests/telemetry/test_samples.h"

namespace {

using namespace layout_writer;

class ChipDetect : public ::testing::Test
{
protected:
    std::string detect(std::string_view bytes)
    {
        return layoutName(detectLayout(dir.write("REC" + std::to_string(++files) + ".MOV", bytes)));
    }

    // ftyp, then moov(mvhd, udta) with the given chip text.
    static std::string movieNaming(std::string_view chip, size_t padBefore = 0)
    {
        return ftypAtom() + Atom("moov", mvhdAtom(0) + udtaAtom(chip, padBefore)) +
               Atom("mdat", "");
    }

    TempDir dir;
    int files = 0;
};

const std::string kNone = "none";
const std::string kIcat = "icat";
const std::string kA7l = "a7l";
const std::string kNt = "nt96650";

TEST_F(ChipDetect, EveryLayoutWriterMovieIsIdentified)
{
    EXPECT_EQ(detect(icatMovie(makeSamples(2))), kIcat);
    IcatOptions icat6330;
    icat6330.chip = "ICAT6330";
    EXPECT_EQ(detect(icatMovie(makeSamples(2), icat6330)), kIcat);
    EXPECT_EQ(detect(a7lMovie(makeSamples(2))), kA7l);
    EXPECT_EQ(detect(nt96650SecondTrackMovie(makeSamples(2))), kNt);
    EXPECT_EQ(detect(nt96650FirstTrackMovie(makeSamples(2)).flatten()), kNt);
    EXPECT_EQ(detect(sidecar(makeSamples(2))), kNone);
}

TEST_F(ChipDetect, IcatNameAtTheEndWinsWithoutLookingAtAtoms)
{
    EXPECT_EQ(detect(movieNaming("AMBARELLA A7L") + "ICAT6350"), kIcat);
    EXPECT_EQ(detect("ICAT6330"), kIcat);
    EXPECT_EQ(detect(movieNaming("") + "ICAT6340"), kNone);
    EXPECT_EQ(detect(movieNaming("") + "ICAT6350 "), kNone);  // must be the last 8 bytes
}

TEST_F(ChipDetect, FilesShorterThanEightBytesAreNotIcat)
{
    EXPECT_EQ(detect(""), kNone);
    EXPECT_EQ(detect("CAT6350"), kNone);
}

TEST_F(ChipDetect, UserDataNamesTheChip)
{
    EXPECT_EQ(detect(movieNaming("AMBARELLA A7L")), kA7l);
    EXPECT_EQ(detect(movieNaming("NT96650A")), kNt);
    EXPECT_EQ(detect(movieNaming("NT96650A AMBARELLA A7L")), kA7l);  // A7L wins
    EXPECT_EQ(detect(movieNaming("AMBARELLA A7")), kNone);
    EXPECT_EQ(detect(movieNaming("nt96650a")), kNone);
    EXPECT_EQ(detect(movieNaming("")), kNone);
}

TEST_F(ChipDetect, OnlyTheFirst64BytesOfTheUserDataChildAreSearched)
{
    // Bytes searched: the child's type (4), padBefore zero bytes, then the name.
    EXPECT_EQ(detect(movieNaming("NT96650A", 52)), kNt);    // name ends at byte 64
    EXPECT_EQ(detect(movieNaming("NT96650A", 53)), kNone);  // one byte too far
    EXPECT_EQ(detect(movieNaming("AMBARELLA A7L", 47)), kA7l);
    EXPECT_EQ(detect(movieNaming("AMBARELLA A7L", 48)), kNone);
}

TEST_F(ChipDetect, CountOfBytesComesFromTheFirstChildSize)
{
    // A child size of 12 lets only "name" and 8 bytes be searched.
    const std::string shortChild = BE32(12) + "nameNT96650A";
    EXPECT_EQ(detect(Atom("moov", Atom("udta", shortChild + "tail"))), kNt);
    const std::string tooShort = BE32(11) + "nameNT96650A";
    EXPECT_EQ(detect(Atom("moov", Atom("udta", tooShort + "tail"))), kNone);
    // A count of zero reads nothing; a count past the end of the file is a short read.
    EXPECT_EQ(detect(Atom("moov", Atom("udta", BE32(0) + "nameNT96650A"))), kNone);
    EXPECT_EQ(detect(Atom("moov", Atom("udta", BE32(40) + "nameNT96650A"))), kNone);
}

TEST_F(ChipDetect, MovieAtomAfter128OtherAtomsIsFoundNotAfter129)
{
    std::string skips;
    for (int i = 0; i < 128; ++i) {
        skips += Atom("free", "");
    }
    EXPECT_EQ(detect(skips + movieNaming("NT96650A")), kNone);  // ftyp is the 129th
    EXPECT_EQ(detect(skips.substr(8) + movieNaming("NT96650A")), kNt);
    std::string children;
    for (int i = 0; i < 129; ++i) {
        children += Atom("free", "");
    }
    EXPECT_EQ(detect(Atom("moov", children + udtaAtom("NT96650A"))), kNone);
    EXPECT_EQ(detect(Atom("moov", children.substr(8) + udtaAtom("NT96650A"))), kNt);
}

TEST_F(ChipDetect, BrokenAtomsGiveNoFlag)
{
    EXPECT_EQ(detect(BE32(0) + "ftyp" + movieNaming("NT96650A")), kNone);
    EXPECT_EQ(detect(BE32(4) + "ftyp" + movieNaming("NT96650A")), kNone);
    EXPECT_EQ(detect(Atom("moov", BE32(1) + "free" + udtaAtom("NT96650A"))), kNone);
    // udta searched only inside moov.
    EXPECT_EQ(detect(Atom("moov", mvhdAtom(0)) + udtaAtom("NT96650A")), kNone);
}

TEST_F(ChipDetect, UnopenableFileGivesNoFlag)
{
    EXPECT_EQ(detectLayout((dir.path() / "missing.MOV").string()), Layout::None);
}

class MovieTimeTest : public ::testing::Test
{
protected:
    std::optional<MovieTime> time(std::string_view bytes)
    {
        return readMovieTime(dir.write("T" + std::to_string(++files) + ".MOV", bytes));
    }

    TempDir dir;
    int files = 0;
};

void expectTime(const std::optional<MovieTime>& t, int y, int mo, int d, int h, int mi, int s)
{
    ASSERT_TRUE(t);
    EXPECT_EQ(t->year, y);
    EXPECT_EQ(t->month, mo);
    EXPECT_EQ(t->day, d);
    EXPECT_EQ(t->hour, h);
    EXPECT_EQ(t->minute, mi);
    EXPECT_EQ(t->second, s);
}

std::string be64(uint64_t value)
{
    return BE32(static_cast<uint32_t>(value >> 32)) + BE32(static_cast<uint32_t>(value));
}

// A version-1 movie header: 64-bit times and duration.
std::string mvhdVersion1(uint64_t creationTime)
{
    return Atom("mvhd", BE32(0x01000000) + be64(creationTime) + be64(creationTime) + BE32(600) +
                            be64(600 * 90) + std::string(80, '\0'));
}

TEST_F(MovieTimeTest, FixedPlacesOfTheOlderChips)
{
    expectTime(time(movieFirstShape(3600000000u, "some media")), 2018, 1, 28, 16, 0, 0);
    expectTime(time(movieSecondShape(3800000000u)), 2024, 5, 31, 11, 33, 20);
    // Zero first size: the second shape.
    std::string zeroFirst = movieSecondShape(3600000000u);
    patchBE32(zeroFirst, 0, 0);
    expectTime(time(zeroFirst), 2018, 1, 28, 16, 0, 0);
}

TEST_F(MovieTimeTest, HeaderWhereverTheMuxerPutIt)
{
    // ftyp, wide, mdat, moov: the fixed place lands in the media data, on a word that looks
    // like a time; the walked header is the one that counts.
    std::string media(64, '\0');
    patchBE32(media, 12, 3000000000u);
    const std::string fourAtoms =
        ftypAtom() + Atom("wide", "") + Atom("mdat", media) + Atom("moov", mvhdAtom(3600000000u));
    ASSERT_EQ(fourAtoms.substr(fourAtoms.find("mdat") + 4 + 12, 4), BE32(3000000000u));
    expectTime(time(fourAtoms), 2018, 1, 28, 16, 0, 0);
    // A 64-bit media data size before a version-1 header.
    expectTime(time(ftypAtom() + BE32(1) + "mdat" + be64(16 + 5) + "media" +
                    Atom("moov", mvhdVersion1(3800000000u))),
               2024, 5, 31, 11, 33, 20);
}

TEST_F(MovieTimeTest, NoTimeBefore1990OrInTheFuture)
{
    constexpr uint32_t k1990 = 2713996800u;
    expectTime(time(movieSecondShape(k1990)), 1990, 1, 1, 0, 0, 0);
    EXPECT_FALSE(time(movieSecondShape(k1990 - 1)));
    EXPECT_FALSE(time(movieFirstShape(2082844800u)));  // 1970
    EXPECT_FALSE(time(movieSecondShape(0)));
    // The year 2200, and the largest 64-bit time.
    EXPECT_FALSE(time(ftypAtom() + Atom("moov", mvhdVersion1(9382147200u))));
    EXPECT_FALSE(time(ftypAtom() + Atom("moov", mvhdVersion1(UINT64_MAX))));
    // Up to a day ahead of now is a camera's clock on local time, not a missing one.
    BinaryFile file;
    ASSERT_TRUE(file.open(dir.write("now.MOV", movieSecondShape(3800000000u))));
    const int64_t recordedMs = int64_t{3800000000 - 2082844800} * 1000;
    constexpr int64_t kDayMs = 86400000;
    EXPECT_EQ(readRecordingStartUtcMs(file, recordedMs - kDayMs), recordedMs);
    EXPECT_FALSE(readRecordingStartUtcMs(file, recordedMs - kDayMs - 1000));
    // Nothing to read.
    EXPECT_FALSE(time(""));
    EXPECT_FALSE(time(std::string(40, '\0')));
    EXPECT_FALSE(readMovieTime((dir.path() / "missing.MOV").string()));
}

}  // namespace
