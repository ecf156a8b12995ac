#include <vector>

#include <gtest/gtest.h>

#include "atom_walker.h"
#include "temp_dir.h"

namespace {

using layout_writer::Atom;
using layout_writer::AtomWithSize;
using layout_writer::BE32;

std::string Skips(int count, std::string_view type = "skip")
{
    std::string atoms;
    for (int i = 0; i < count; ++i)
        atoms += Atom(type, "x");
    return atoms;
}

class AtomWalkerTest : public ::testing::Test {
protected:
    BinaryFile& Open(const std::string& bytes)
    {
        EXPECT_TRUE(file.Open(dir.Write("a.mov", bytes)));
        return file;
    }

    TempDir dir;
    BinaryFile file;
};

TEST_F(AtomWalkerTest, FindsChildrenAndPaths)
{
    Open(Atom("ftyp", "qt  ") + Atom("moov", Atom("mvhd", "") + Atom("trak", Atom("mdia", "abc"))));
    const auto moov = FindChild(file, WholeFile(file), "moov");
    ASSERT_TRUE(moov);
    EXPECT_EQ(moov->start, 12u);
    EXPECT_EQ(moov->Content().begin, 20u);
    const auto mdia = FindPath(file, WholeFile(file), {"moov", "trak", "mdia"});
    ASSERT_TRUE(mdia);
    EXPECT_EQ(mdia->Content().end - mdia->Content().begin, 3u);
    EXPECT_FALSE(FindPath(file, WholeFile(file), {"moov", "trak", "minf"}));
}

TEST_F(AtomWalkerTest, AtMost128SkippedAtoms)
{
    Open(Skips(128) + Atom("moov", ""));
    EXPECT_TRUE(FindChild(file, WholeFile(file), "moov"));
    BinaryFile other;
    ASSERT_TRUE(other.Open(dir.Write("b.mov", Skips(129) + Atom("moov", ""))));
    EXPECT_FALSE(FindChild(other, WholeFile(other), "moov"));
}

TEST_F(AtomWalkerTest, SizeBelowEightEndsTheWalk)
{
    for (uint32_t size : {0u, 1u, 7u}) {
        BinaryFile bad;
        ASSERT_TRUE(bad.Open(dir.Write("bad" + std::to_string(size), Atom("skip", "") +
                                       BE32(size) + "junk" + Atom("moov", ""))));
        AtomWalker walker(bad, WholeFile(bad));
        EXPECT_TRUE(walker.Next());
        EXPECT_FALSE(walker.Next()) << size;
        EXPECT_TRUE(walker.Broken());
        EXPECT_FALSE(walker.Next());  // stays ended
        EXPECT_FALSE(FindChild(bad, WholeFile(bad), "moov")) << size;
    }
}

TEST_F(AtomWalkerTest, WalkEndsCleanlyAtTheParentsEnd)
{
    Open(Atom("moov", Atom("trak", "") + "pad") + Atom("udta", ""));
    const auto moov = FindChild(file, WholeFile(file), "moov");
    AtomWalker walker(file, moov->Content());
    EXPECT_TRUE(walker.Next());
    EXPECT_FALSE(walker.Next());  // 3 trailing bytes hold no header
    EXPECT_FALSE(walker.Broken());
}

TEST_F(AtomWalkerTest, ChildrenAreLookedForOnlyInsideTheirParent)
{
    // "udta" follows the movie atom, so it is no child of it.
    Open(Atom("moov", Atom("mvhd", "")) + Atom("udta", "NT96650A"));
    const auto moov = FindChild(file, WholeFile(file), "moov");
    EXPECT_FALSE(FindChild(file, moov->Content(), "udta"));
    // A child that claims more than its parent holds is cut to the parent.
    BinaryFile cut;
    ASSERT_TRUE(cut.Open(dir.Write("cut.mov", Atom("moov", AtomWithSize(1000, "trak", "abcd")) +
                                                  Atom("free", ""))));
    const auto trak = FindPath(cut, WholeFile(cut), {"moov", "trak"});
    ASSERT_TRUE(trak);
    EXPECT_EQ(trak->end, 20u);
    EXPECT_EQ(trak->NextSibling(), 1008u);
}

TEST_F(AtomWalkerTest, AtomsPastTheEndOfTheFileAreCut)
{
    Open(AtomWithSize(0xFFFFFFF0u, "mdat", "abc") + Atom("moov", ""));
    const auto mdat = FindChild(file, WholeFile(file), "mdat");
    ASSERT_TRUE(mdat);
    EXPECT_EQ(mdat->end, file.Size());
    EXPECT_FALSE(FindChild(file, WholeFile(file), "moov"));  // hidden inside the huge atom
}

TEST_F(AtomWalkerTest, TableReadsStopAtTheSpanAndTheFile)
{
    std::string bytes;
    for (uint32_t i = 0; i < 10000; ++i)
        bytes += BE32(i * 3);
    Open(bytes);
    std::vector<uint32_t> seen;
    auto collect = [&](uint32_t index, uint32_t value) {
        EXPECT_EQ(value, index * 3);
        seen.push_back(value);
        return true;
    };
    // A count of four billion reads only what the file holds.
    EXPECT_EQ(ForEachBE32(file, 0, UINT64_MAX, 0xFFFFFFFFu, collect), 10000u);
    EXPECT_EQ(ForEachBE32(file, 0, 4 * 100 + 3, 0xFFFFFFFFu, collect), 100u);
    EXPECT_EQ(ForEachBE32(file, 4, 40000, 5, [](uint32_t index, uint32_t value) {
                  EXPECT_EQ(value, (index + 1) * 3);
                  return true;
              }),
              5u);
    EXPECT_EQ(ForEachBE32(file, 40000, 10, 5, collect), 0u);
    EXPECT_EQ(ForEachBE32(file, 0, 40000, 100, [](uint32_t index, uint32_t) { return index < 6; }), 7u);
}

TEST_F(AtomWalkerTest, OpenRejectsShortPathsFoldersAndMissingFiles)
{
    BinaryFile f;
    EXPECT_FALSE(f.Open(""));
    EXPECT_FALSE(f.Open("abc"));
    EXPECT_FALSE(f.Open(dir.Path().string()));
    EXPECT_FALSE(f.Open((dir.Path() / "none").string()));
    EXPECT_FALSE(f.Open("/dev/zero"));  // endless devices are no recordings
    unsigned char byte;
    EXPECT_EQ(f.ReadAt(0, &byte, 1), 0u);
    EXPECT_FALSE(f.ReadBE32(0));
}

TEST_F(AtomWalkerTest, ReadsComeUpShortAtTheEnd)
{
    Open("abcdef");
    char buffer[8];
    EXPECT_EQ(file.ReadAt(2, buffer, 8), 4u);
    EXPECT_EQ(file.ReadAt(6, buffer, 8), 0u);
    EXPECT_EQ(file.ReadAt(UINT64_MAX - 2, buffer, 8), 0u);
    EXPECT_FALSE(file.ReadBE32(3));
    EXPECT_EQ(*file.ReadBE32(2), 0x63646566u);
}

TEST_F(AtomWalkerTest, ReadsNearEachOtherAndFarApartGiveTheFilesBytes)
{
    std::string bytes(100000, '\0');
    uint32_t state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u; };
    for (char& c : bytes)
        c = static_cast<char>(next() >> 24);
    Open(bytes);
    std::vector<char> buffer(5000);
    uint64_t offset = 0;
    for (int i = 0; i < 3000; ++i) {
        // Mostly small steps forward (served from one read ahead), sometimes a jump.
        offset = next() % 8 == 0 ? next() % 100100 : offset + next() % 700;
        const size_t n = next() % 4 == 0 ? next() % 5000 : next() % 300;
        const size_t expected = offset >= bytes.size() ? 0 : std::min(n, bytes.size() - offset);
        ASSERT_EQ(file.ReadAt(offset, buffer.data(), n), expected) << offset << " " << n;
        ASSERT_EQ(std::string_view(buffer.data(), expected), std::string_view(bytes).substr(
                                                                 std::min<size_t>(offset, bytes.size()), expected))
            << offset << " " << n;
        if (offset >= bytes.size())
            offset = 0;
    }
}

}  // namespace
