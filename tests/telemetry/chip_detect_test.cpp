#include <gtest/gtest.h>

#include "chip_detect.h"
#include "layout_reader.h"
#include "temp_dir.h"
#include "test_samples.h"

namespace {

using namespace layout_writer;

class ChipDetect : public ::testing::Test {
protected:
    std::string Detect(std::string_view bytes)
    {
        return LayoutName(DetectLayout(dir.Write("REC" + std::to_string(++files) + ".MOV", bytes)));
    }

    // ftyp, then moov(mvhd, udta) with the given chip text.
    static std::string MovieNaming(std::string_view chip, size_t padBefore = 0)
    {
        return Ftyp() + Atom("moov", Mvhd(0) + Udta(chip, padBefore)) + Atom("mdat", "");
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
    EXPECT_EQ(Detect(IcatMovie(MakeSamples(2))), kIcat);
    IcatOptions icat6330;
    icat6330.chip = "ICAT6330";
    EXPECT_EQ(Detect(IcatMovie(MakeSamples(2), icat6330)), kIcat);
    EXPECT_EQ(Detect(A7lMovie(MakeSamples(2))), kA7l);
    EXPECT_EQ(Detect(Nt96650SecondTrackMovie(MakeSamples(2))), kNt);
    EXPECT_EQ(Detect(Nt96650FirstTrackMovie(MakeSamples(2)).Flatten()), kNt);
    EXPECT_EQ(Detect(Sidecar(MakeSamples(2))), kNone);
}

TEST_F(ChipDetect, IcatNameAtTheEndWinsWithoutLookingAtAtoms)
{
    EXPECT_EQ(Detect(MovieNaming("AMBARELLA A7L") + "ICAT6350"), kIcat);
    EXPECT_EQ(Detect("ICAT6330"), kIcat);
    EXPECT_EQ(Detect(MovieNaming("") + "ICAT6340"), kNone);
    EXPECT_EQ(Detect(MovieNaming("") + "ICAT6350 "), kNone);  // must be the last 8 bytes
}

TEST_F(ChipDetect, FilesShorterThanEightBytesAreNotIcat)
{
    EXPECT_EQ(Detect(""), kNone);
    EXPECT_EQ(Detect("CAT6350"), kNone);
}

TEST_F(ChipDetect, UserDataNamesTheChip)
{
    EXPECT_EQ(Detect(MovieNaming("AMBARELLA A7L")), kA7l);
    EXPECT_EQ(Detect(MovieNaming("NT96650A")), kNt);
    EXPECT_EQ(Detect(MovieNaming("NT96650A AMBARELLA A7L")), kA7l);  // A7L wins
    EXPECT_EQ(Detect(MovieNaming("AMBARELLA A7")), kNone);
    EXPECT_EQ(Detect(MovieNaming("nt96650a")), kNone);
    EXPECT_EQ(Detect(MovieNaming("")), kNone);
}

TEST_F(ChipDetect, OnlyTheFirst64BytesOfTheUserDataChildAreSearched)
{
    // Bytes searched: the child's type (4), padBefore zero bytes, then the name.
    EXPECT_EQ(Detect(MovieNaming("NT96650A", 52)), kNt);   // name ends at byte 64
    EXPECT_EQ(Detect(MovieNaming("NT96650A", 53)), kNone);  // one byte too far
    EXPECT_EQ(Detect(MovieNaming("AMBARELLA A7L", 47)), kA7l);
    EXPECT_EQ(Detect(MovieNaming("AMBARELLA A7L", 48)), kNone);
}

TEST_F(ChipDetect, CountOfBytesComesFromTheFirstChildSize)
{
    // A child size of 12 lets only "name" and 8 bytes be searched.
    const std::string shortChild = BE32(12) + "nameNT96650A";
    EXPECT_EQ(Detect(Atom("moov", Atom("udta", shortChild + "tail"))), kNt);
    const std::string tooShort = BE32(11) + "nameNT96650A";
    EXPECT_EQ(Detect(Atom("moov", Atom("udta", tooShort + "tail"))), kNone);
    // A count of zero reads nothing; a count past the end of the file is a short read.
    EXPECT_EQ(Detect(Atom("moov", Atom("udta", BE32(0) + "nameNT96650A"))), kNone);
    EXPECT_EQ(Detect(Atom("moov", Atom("udta", BE32(40) + "nameNT96650A"))), kNone);
}

TEST_F(ChipDetect, MovieAtomAfter128OtherAtomsIsFoundNotAfter129)
{
    std::string skips;
    for (int i = 0; i < 128; ++i)
        skips += Atom("free", "");
    EXPECT_EQ(Detect(skips + MovieNaming("NT96650A")), kNone);  // ftyp is the 129th
    EXPECT_EQ(Detect(skips.substr(8) + MovieNaming("NT96650A")), kNt);
    std::string children;
    for (int i = 0; i < 129; ++i)
        children += Atom("free", "");
    EXPECT_EQ(Detect(Atom("moov", children + Udta("NT96650A"))), kNone);
    EXPECT_EQ(Detect(Atom("moov", children.substr(8) + Udta("NT96650A"))), kNt);
}

TEST_F(ChipDetect, BrokenAtomsGiveNoFlag)
{
    EXPECT_EQ(Detect(BE32(0) + "ftyp" + MovieNaming("NT96650A")), kNone);
    EXPECT_EQ(Detect(BE32(4) + "ftyp" + MovieNaming("NT96650A")), kNone);
    EXPECT_EQ(Detect(Atom("moov", BE32(1) + "free" + Udta("NT96650A"))), kNone);
    // udta searched only inside moov.
    EXPECT_EQ(Detect(Atom("moov", Mvhd(0)) + Udta("NT96650A")), kNone);
}

TEST_F(ChipDetect, UnopenableFileGivesNoFlag)
{
    EXPECT_EQ(DetectLayout((dir.Path() / "missing.MOV").string()), Layout::None);
}

class MovieTimeTest : public ::testing::Test {
protected:
    std::optional<MovieTime> Time(std::string_view bytes)
    {
        return ReadMovieTime(dir.Write("T" + std::to_string(++files) + ".MOV", bytes));
    }

    TempDir dir;
    int files = 0;
};

void ExpectTime(const std::optional<MovieTime>& t, int y, int mo, int d, int h, int mi, int s)
{
    ASSERT_TRUE(t);
    EXPECT_EQ(t->year, y);
    EXPECT_EQ(t->month, mo);
    EXPECT_EQ(t->day, d);
    EXPECT_EQ(t->hour, h);
    EXPECT_EQ(t->minute, mi);
    EXPECT_EQ(t->second, s);
}

TEST_F(MovieTimeTest, FirstShapeThreeAtoms)
{
    ExpectTime(Time(MovieFirstShape(2082844800u)), 1970, 1, 1, 0, 0, 0);
    ExpectTime(Time(MovieFirstShape(3600000000u, "some media")), 2018, 1, 28, 16, 0, 0);
    // 64-bit arithmetic: no wrap after 2038.
    ExpectTime(Time(MovieFirstShape(0xFFFFFFFFu)), 2040, 2, 6, 6, 28, 15);
}

TEST_F(MovieTimeTest, SecondShapeWhenTheFirstDoesNotFit)
{
    ExpectTime(Time(MovieSecondShape(3600000000u)), 2018, 1, 28, 16, 0, 0);
    // First shape below 1970: the word at offset 44 is used instead.
    std::string bytes = MovieFirstShape(100, std::string(64, '\0'));
    PatchBE32(bytes, 44, 2082844800u + 86400u + 3661u);
    ExpectTime(Time(bytes), 1970, 1, 2, 1, 1, 1);
    // Zero first or second size: second shape.
    std::string zeroFirst = MovieSecondShape(3600000000u);
    PatchBE32(zeroFirst, 0, 0);
    ExpectTime(Time(zeroFirst), 2018, 1, 28, 16, 0, 0);
}

TEST_F(MovieTimeTest, NoTime)
{
    EXPECT_FALSE(Time(""));
    EXPECT_FALSE(Time(std::string(40, '\0')));
    EXPECT_FALSE(Time(MovieSecondShape(2082844799u)));  // before 1970 in the second shape
    EXPECT_FALSE(Time(MovieSecondShape(0)));
    EXPECT_FALSE(ReadMovieTime((dir.Path() / "missing.MOV").string()));
}

}  // namespace
