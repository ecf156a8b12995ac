#include <vector>

#include <gtest/gtest.h>

#include "telemetry/atom_walker.h"
#include "tests/telemetry/temp_dir.h"

namespace {

using layout_writer::Atom;
using layout_writer::atomWithSize;
using layout_writer::BE32;

std::string skips(int count, std::string_view type = "skip")
{
    std::string atoms;
    for (int i = 0; i < count; ++i) {
        atoms += Atom(type, "x");
    }
    return atoms;
}

class AtomWalkerTest : public ::testing::Test
{
protected:
    BinaryFile& open(const std::string& bytes)
    {
        EXPECT_TRUE(file.open(dir.write("a.mov", bytes)));
        return file;
    }

    TempDir dir;
    BinaryFile file;
};

TEST_F(AtomWalkerTest, FindsChildrenAndPaths)
{
    open(Atom("ftyp", "qt  ") + Atom("moov", Atom("mvhd", "") + Atom("trak", Atom("mdia", "abc"))));
    const auto moov = findChildAtom(file, wholeFile(file), "moov");
    ASSERT_TRUE(moov);
    EXPECT_EQ(moov->start, 12u);
    EXPECT_EQ(moov->content().begin, 20u);
    const auto mdia = findPath(file, wholeFile(file), {"moov", "trak", "mdia"});
    ASSERT_TRUE(mdia);
    EXPECT_EQ(mdia->content().end - mdia->content().begin, 3u);
    EXPECT_FALSE(findPath(file, wholeFile(file), {"moov", "trak", "minf"}));
}

TEST_F(AtomWalkerTest, AtMost128SkippedAtoms)
{
    open(skips(128) + Atom("moov", ""));
    EXPECT_TRUE(findChildAtom(file, wholeFile(file), "moov"));
    BinaryFile other;
    ASSERT_TRUE(other.open(dir.write("b.mov", skips(129) + Atom("moov", ""))));
    EXPECT_FALSE(findChildAtom(other, wholeFile(other), "moov"));
}

TEST_F(AtomWalkerTest, SizeBelowItsHeaderEndsTheWalk)
{
    // 7, and a 64-bit size of 15 (its header alone is 16 bytes).
    for (const std::string& field : {BE32(7) + "junk", BE32(1) + "junk" + BE32(0) + BE32(15)}) {
        BinaryFile bad;
        ASSERT_TRUE(bad.open(dir.write("bad", Atom("skip", "") + field + Atom("moov", ""))));
        AtomWalker walker(bad, wholeFile(bad));
        EXPECT_TRUE(walker.next());
        EXPECT_FALSE(walker.next());
        EXPECT_TRUE(walker.broken());
        EXPECT_FALSE(walker.next());  // stays ended
        EXPECT_FALSE(findChildAtom(bad, wholeFile(bad), "moov"));
    }
}

TEST_F(AtomWalkerTest, SixtyFourBitSizesAndSizeZero)
{
    // A 64-bit size: content after the 16-byte header, the next atom after the whole size.
    open(Atom("ftyp", "isom") + BE32(1) + "mdat" + BE32(0) + BE32(16 + 3) + "abc" +
         Atom("moov", BE32(0) + "trak" + "to the end"));
    const auto mdat = findChildAtom(file, wholeFile(file), "mdat");
    ASSERT_TRUE(mdat);
    EXPECT_EQ(mdat->size, 19u);
    EXPECT_EQ(mdat->content().begin, 12u + 16u);
    EXPECT_EQ(mdat->content().end, 12u + 19u);
    // Size 0: to the end of the parent (the movie atom here, not the file).
    const auto trak = findPath(file, wholeFile(file), {"moov", "trak"});
    ASSERT_TRUE(trak);
    EXPECT_EQ(trak->end, file.size());
    EXPECT_EQ(trak->content().end - trak->content().begin, 10u);
    AtomWalker walker(file, wholeFile(file));
    while (walker.next()) {}
    EXPECT_FALSE(walker.broken());
    // A 64-bit size past the file, up to the largest one, is cut to the file.
    BinaryFile huge;
    ASSERT_TRUE(huge.open(dir.write("huge.mov", BE32(1) + "mdat" + BE32(0xFFFFFFFFu) +
                                                    BE32(0xFFFFFFFFu) + Atom("moov", ""))));
    const auto hugeMdat = findChildAtom(huge, wholeFile(huge), "mdat");
    ASSERT_TRUE(hugeMdat);
    EXPECT_EQ(hugeMdat->end, huge.size());
    EXPECT_EQ(hugeMdat->nextSibling(), UINT64_MAX);
    EXPECT_FALSE(findChildAtom(huge, wholeFile(huge), "moov"));
}

TEST_F(AtomWalkerTest, WalkEndsCleanlyAtTheParentsEnd)
{
    open(Atom("moov", Atom("trak", "") + "pad") + Atom("udta", ""));
    const auto moov = findChildAtom(file, wholeFile(file), "moov");
    AtomWalker walker(file, moov->content());
    EXPECT_TRUE(walker.next());
    EXPECT_FALSE(walker.next());  // 3 trailing bytes hold no header
    EXPECT_FALSE(walker.broken());
}

TEST_F(AtomWalkerTest, ChildrenAreLookedForOnlyInsideTheirParent)
{
    // "udta" follows the movie atom, so it is no child of it.
    open(Atom("moov", Atom("mvhd", "")) + Atom("udta", "NT96650A"));
    const auto moov = findChildAtom(file, wholeFile(file), "moov");
    EXPECT_FALSE(findChildAtom(file, moov->content(), "udta"));
    // A child that claims more than its parent holds is cut to the parent.
    BinaryFile cut;
    ASSERT_TRUE(cut.open(
        dir.write("cut.mov", Atom("moov", atomWithSize(1000, "trak", "abcd")) + Atom("free", ""))));
    const auto trak = findPath(cut, wholeFile(cut), {"moov", "trak"});
    ASSERT_TRUE(trak);
    EXPECT_EQ(trak->end, 20u);
    EXPECT_EQ(trak->nextSibling(), 1008u);
}

TEST_F(AtomWalkerTest, AtomsPastTheEndOfTheFileAreCut)
{
    open(atomWithSize(0xFFFFFFF0u, "mdat", "abc") + Atom("moov", ""));
    const auto mdat = findChildAtom(file, wholeFile(file), "mdat");
    ASSERT_TRUE(mdat);
    EXPECT_EQ(mdat->end, file.size());
    EXPECT_FALSE(findChildAtom(file, wholeFile(file), "moov"));  // hidden inside the huge atom
}

TEST_F(AtomWalkerTest, TableReadsStopAtTheSpanAndTheFile)
{
    std::string bytes;
    for (uint32_t i = 0; i < 10000; ++i) {
        bytes += BE32(i * 3);
    }
    open(bytes);
    std::vector<uint32_t> seen;
    auto collect = [&](uint32_t index, uint32_t value) {
        EXPECT_EQ(value, index * 3);
        seen.push_back(value);
        return true;
    };
    // A count of four billion reads only what the file holds.
    EXPECT_EQ(forEachBE32(file, 0, UINT64_MAX, 0xFFFFFFFFu, collect), 10000u);
    EXPECT_EQ(forEachBE32(file, 0, 4 * 100 + 3, 0xFFFFFFFFu, collect), 100u);
    EXPECT_EQ(forEachBE32(file, 4, 40000, 5,
                          [](uint32_t index, uint32_t value) {
                              EXPECT_EQ(value, (index + 1) * 3);
                              return true;
                          }),
              5u);
    EXPECT_EQ(forEachBE32(file, 40000, 10, 5, collect), 0u);
    EXPECT_EQ(forEachBE32(file, 0, 40000, 100, [](uint32_t index, uint32_t) { return index < 6; }),
              7u);
}

TEST_F(AtomWalkerTest, OpenRejectsShortPathsFoldersAndMissingFiles)
{
    BinaryFile f;
    EXPECT_FALSE(f.open(""));
    EXPECT_FALSE(f.open("abc"));
    EXPECT_FALSE(f.open(dir.path().string()));
    EXPECT_FALSE(f.open((dir.path() / "none").string()));
    EXPECT_FALSE(f.open("/dev/zero"));  // endless devices are no recordings
    unsigned char byte;
    EXPECT_EQ(f.readAt(0, &byte, 1), 0u);
    EXPECT_FALSE(f.readBE32(0));
}

TEST_F(AtomWalkerTest, ReadsComeUpShortAtTheEnd)
{
    open("abcdef");
    char buffer[8];
    EXPECT_EQ(file.readAt(2, buffer, 8), 4u);
    EXPECT_EQ(file.readAt(6, buffer, 8), 0u);
    EXPECT_EQ(file.readAt(UINT64_MAX - 2, buffer, 8), 0u);
    EXPECT_FALSE(file.readBE32(3));
    EXPECT_EQ(*file.readBE32(2), 0x63646566u);
}

TEST_F(AtomWalkerTest, ReadsNearEachOtherAndFarApartGiveTheFilesBytes)
{
    std::string bytes(100000, '\0');
    uint32_t state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u; };
    for (char& c : bytes) {
        c = static_cast<char>(next() >> 24);
    }
    open(bytes);
    std::vector<char> buffer(5000);
    uint64_t offset = 0;
    for (int i = 0; i < 3000; ++i) {
        // Mostly small steps forward (served from one read ahead), sometimes a jump.
        offset = next() % 8 == 0 ? next() % 100100 : offset + next() % 700;
        const size_t n = next() % 4 == 0 ? next() % 5000 : next() % 300;
        const size_t expected = offset >= bytes.size() ? 0 : std::min(n, bytes.size() - offset);
        ASSERT_EQ(file.readAt(offset, buffer.data(), n), expected) << offset << " " << n;
        ASSERT_EQ(std::string_view(buffer.data(), expected),
                  std::string_view(bytes).substr(std::min<size_t>(offset, bytes.size()), expected))
            << offset << " " << n;
        if (offset >= bytes.size()) {
            offset = 0;
        }
    }
}

}  // namespace
