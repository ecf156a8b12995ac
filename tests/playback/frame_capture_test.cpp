#include "playback/frame_capture.h"
#include "playback/jpeg_writer.h"
#include "tests/playback/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

namespace {

struct Colour
{
    std::uint8_t r, g, b;
};

constexpr Colour kRed{230, 20, 20};
constexpr Colour kBlue{20, 20, 230};
constexpr Colour kGreen{20, 200, 20};

// A picture whose orientation shows: top-left red, top-right blue, bottom half green.
Colour pictureAt(int x, int y, int width, int height)
{
    if (y >= height / 2) {
        return kGreen;
    }
    return x < width / 2 ? kRed : kBlue;
}

// The picture as top-down BGRx rows with `padding` spare bytes per row.
std::vector<std::uint8_t> topDownBgrx(int width, int height, int padding)
{
    const int stride = width * 4 + padding;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * height, 0x55);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Colour c = pictureAt(x, y, width, height);
            std::uint8_t* pixel = rows.data() + static_cast<std::size_t>(y) * stride + x * 4;
            pixel[0] = c.b;
            pixel[1] = c.g;
            pixel[2] = c.r;
            pixel[3] = 0xff;
        }
    }
    return rows;
}

// The same picture as a 24-bit block, built by hand.
std::vector<std::uint8_t> block24(int width, int height)
{
    std::vector<std::uint8_t> block(kFrameHeaderSize +
                                    static_cast<std::size_t>(width) * height * 3);
    block[0] = kFrameHeaderSize;
    for (int i = 0; i < 4; ++i) {
        block[4 + i] = static_cast<std::uint8_t>(width >> (8 * i));
        block[8 + i] = static_cast<std::uint8_t>(height >> (8 * i));
    }
    block[12] = 1;
    block[14] = 24;
    std::uint8_t* pixel = block.data() + kFrameHeaderSize;
    for (int storedRow = 0; storedRow < height; ++storedRow) {
        for (int x = 0; x < width; ++x) {
            const Colour c = pictureAt(x, height - 1 - storedRow, width, height);
            *pixel++ = c.b;
            *pixel++ = c.g;
            *pixel++ = c.r;
        }
    }
    return block;
}

void expectNear(DecodedJpeg::Rgb actual, Colour expected, const char* where)
{
    SCOPED_TRACE(where);
    EXPECT_NEAR(actual.r, expected.r, 12);
    EXPECT_NEAR(actual.g, expected.g, 12);
    EXPECT_NEAR(actual.b, expected.b, 12);
}

void expectPicture(const QString& path, int width, int height)
{
    const DecodedJpeg jpeg = decodeJpeg(path);
    ASSERT_TRUE(jpeg.ok);
    EXPECT_EQ(jpeg.width, width);
    EXPECT_EQ(jpeg.height, height);
    EXPECT_EQ(jpeg.components, 3);
    EXPECT_FALSE(jpeg.progressive);
    // Quality 80 scales the standard luminance table by 40 %: its first step 16 becomes 6.
    EXPECT_EQ(jpeg.firstLuminanceQuant, 6);
    expectNear(jpeg.at(width / 4, 2), kRed, "top left");
    expectNear(jpeg.at(3 * width / 4, 2), kBlue, "top right");
    expectNear(jpeg.at(width / 2, height - 3), kGreen, "bottom");
}

class FrameCapture : public testing::Test
{
protected:
    QString target(const char* name) const { return m_dir.filePath(name); }
    QStringList leftovers() const { return QDir(m_dir.path()).entryList(QDir::Files); }

    QTemporaryDir m_dir;
};

TEST_F(FrameCapture, BlockFromPaddedRowsIsBottomUpWithItsHeader)
{
    const std::vector<std::uint8_t> rows = topDownBgrx(640, 480, 16);
    const std::vector<std::uint8_t> block = makeFrameBlock(rows.data(), 640, 480, 640 * 4 + 16);
    ASSERT_EQ(block.size(), 1'228'840u);
    EXPECT_EQ(block[0], 40);
    EXPECT_EQ(block[4] | block[5] << 8, 640);
    EXPECT_EQ(block[8] | block[9] << 8, 480);
    EXPECT_EQ(block[14], 32);
    // The first stored row is the bottom of the picture (green); the last the top.
    EXPECT_EQ(block[kFrameHeaderSize + 1], kGreen.g);
    const std::size_t lastRow = kFrameHeaderSize + 640u * 4 * 479;
    EXPECT_EQ(block[lastRow + 2], kRed.r);
}

TEST_F(FrameCapture, ThirtyTwoBitFrameBecomesUprightJpeg)
{
    const std::vector<std::uint8_t> rows = topDownBgrx(640, 480, 0);
    const std::vector<std::uint8_t> block = makeFrameBlock(rows.data(), 640, 480, 640 * 4);
    ASSERT_EQ(saveFrameBlock(block, target("frame.jpg")), 1);
    expectPicture(target("frame.jpg"), 640, 480);
    EXPECT_EQ(leftovers(), QStringList{"frame.jpg"});
}

TEST_F(FrameCapture, TwentyFourBitFrameStepsThreeBytesPerPixel)
{
    ASSERT_EQ(saveFrameBlock(block24(120, 80), target("frame24.jpg")), 1);
    expectPicture(target("frame24.jpg"), 120, 80);
}

TEST_F(FrameCapture, InconsistentBlocksAreRefusedAndWriteNothing)
{
    const std::vector<std::uint8_t> rows = topDownBgrx(64, 48, 0);
    const std::vector<std::uint8_t> good = makeFrameBlock(rows.data(), 64, 48, 64 * 4);

    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_EQ(saveFrameBlock(longer, target("a.jpg")), 0);

    std::vector<std::uint8_t> shorter = good;
    shorter.pop_back();
    EXPECT_EQ(saveFrameBlock(shorter, target("b.jpg")), 0);

    std::vector<std::uint8_t> sixteenBit = good;
    sixteenBit[14] = 16;
    EXPECT_EQ(saveFrameBlock(sixteenBit, target("c.jpg")), 0);

    // Negative width and height multiply to a size that matches: still refused.
    std::vector<std::uint8_t> negative(kFrameHeaderSize + 2 * 3 * 4, 0);
    negative[0] = kFrameHeaderSize;
    negative[4] = 0xfe, negative[5] = negative[6] = negative[7] = 0xff;    // -2
    negative[8] = 0xfd, negative[9] = negative[10] = negative[11] = 0xff;  // -3
    negative[14] = 32;
    EXPECT_EQ(saveFrameBlock(negative, target("d.jpg")), 0);

    EXPECT_EQ(saveFrameBlock(std::vector<std::uint8_t>(10, 0), target("e.jpg")), 0);
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(FrameCapture, UncreatableTargetReturnsZero)
{
    const std::vector<std::uint8_t> rows = topDownBgrx(32, 32, 0);
    EXPECT_EQ(writeJpegFrame(rows.data(), 32, 32, 4, target("no/such/folder/x.jpg")), 0);
    EXPECT_EQ(writeJpegFrame(rows.data(), 32, 32, 4, m_dir.path()), 0);
    EXPECT_EQ(writeJpegFrame(nullptr, 32, 32, 4, target("null.jpg")), 0);
    EXPECT_EQ(writeJpegFrame(rows.data(), 0, 32, 4, target("empty.jpg")), 0);
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(FrameCapture, EncoderErrorFailsTheSnapshotInsteadOfTheProgram)
{
    // Wider than JPEG allows: the library reports an error through its handler.
    const int width = 70'000;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 4, 0x80);
    EXPECT_EQ(writeJpegFrame(row.data(), width, 1, 4, target("wide.jpg")), 0);
    EXPECT_TRUE(leftovers().isEmpty());
}

// In a child process: 0 when the write failed and left the folder empty.
int writeUnderSizeLimit(const std::vector<std::uint8_t>& pixels, const QString& path)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    const int written = writeJpegFrame(pixels.data(), 512, 512, 4, path);
    const bool empty = QDir(QFileInfo(path).path()).entryList(QDir::Files).isEmpty();
    return written == 0 && empty ? 0 : 1;
}

// A full disk, played by a file size limit: the half-written picture must not
// stay behind, neither under its name nor as a temporary file.
TEST_F(FrameCapture, WriteFailureLeavesNoFileBehind)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::vector<std::uint8_t> noise = [] {
        std::vector<std::uint8_t> bytes(512u * 512 * 4);
        std::uint32_t seed = 12345;
        for (auto& b : bytes) {
            seed = seed * 1664525u + 1013904223u;
            b = static_cast<std::uint8_t>(seed >> 24);
        }
        return bytes;
    }();
    EXPECT_EXIT(std::exit(writeUnderSizeLimit(noise, target("full.jpg"))),
                testing::ExitedWithCode(0), "");
}

}  // namespace
