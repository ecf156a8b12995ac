#include "playback/frame_capture.h"

#include "playback/jpeg_writer.h"

#include <cstring>

namespace {

void putLe32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void putLe16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint32_t le32(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

std::uint16_t le16(const std::uint8_t* at)
{
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

}  // namespace

std::vector<std::uint8_t> makeFrameBlock(const std::uint8_t* bgrx, int width, int height,
                                         int stride)
{
    if (bgrx == nullptr || width <= 0 || height <= 0 || stride < width * 4) {
        return {};
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    std::vector<std::uint8_t> block(kFrameHeaderSize + rowBytes * height, 0);
    std::uint8_t* header = block.data();
    putLe32(header, kFrameHeaderSize);
    putLe32(header + 4, static_cast<std::uint32_t>(width));
    putLe32(header + 8, static_cast<std::uint32_t>(height));
    putLe16(header + 12, 1);
    putLe16(header + 14, 32);
    putLe32(header + 20, static_cast<std::uint32_t>(rowBytes * height));

    std::uint8_t* pixels = header + kFrameHeaderSize;
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* source = bgrx + static_cast<std::size_t>(stride) * row;
        std::memcpy(pixels + rowBytes * (height - 1 - row), source, rowBytes);
    }
    return block;
}

int saveFrameBlock(const std::vector<std::uint8_t>& block, const QString& fileName,
                   const SnapshotTags* tags)
{
    if (block.size() < static_cast<std::size_t>(kFrameHeaderSize)) {
        return 0;
    }
    const auto width = static_cast<std::int32_t>(le32(block.data() + 4));
    const auto height = static_cast<std::int32_t>(le32(block.data() + 8));
    const int bitCount = le16(block.data() + 14);
    if (width <= 0 || height <= 0 || (bitCount != 24 && bitCount != 32)) {
        return 0;
    }
    const int bytesPerPixel = bitCount / 8;
    const auto expected = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) *
                              static_cast<std::uint64_t>(bytesPerPixel) +
                          kFrameHeaderSize;
    if (block.size() != expected) {
        return 0;
    }
    return writeJpegFrame(block.data() + kFrameHeaderSize, width, height, bytesPerPixel, fileName,
                          tags);
}
