#pragma once

#include <array>
#include <optional>

// A machine-readable stamp in the picture of a sample recording: its channel and frame
// number as a row of large black and white squares along the bottom edge, which survive
// H.264 and scaling. Cell 0 is white and cell 1 black (the row's marks), cells 2-3 hold
// the channel's index (front 0, rear 1, interior 2, tele 3), cells 4-23 the frame number,
// most significant bit first.
namespace frame_stamp {

constexpr int kCells = 24;
constexpr int kChannelBits = 2;
constexpr int kFrameBits = kCells - 2 - kChannelBits;

struct Stamp
{
    int channel = 0;
    int frame = 0;
};

struct Cell
{
    int x = 0;
    int y = 0;
    int size = 0;
};

// Square cells side by side, one cell's height above the bottom edge.
inline Cell cellAt(int index, int width, int height)
{
    const int size = width / kCells;
    return {index * size, height - 2 * size, size};
}

inline std::array<bool, kCells> bitsOf(Stamp stamp)
{
    std::array<bool, kCells> bits{};
    bits[0] = true;
    for (int i = 0; i < kChannelBits; ++i) {
        bits[2 + i] = (stamp.channel >> (kChannelBits - 1 - i)) & 1;
    }
    for (int i = 0; i < kFrameBits; ++i) {
        bits[2 + kChannelBits + i] = (stamp.frame >> (kFrameBits - 1 - i)) & 1;
    }
    return bits;
}

// Reads the stamp through `brightness(x, y)` (0 black to 255 white), from the middle half
// of each cell; nothing when the marks are not there or the picture is too small.
template <typename Brightness>
std::optional<Stamp> readStamp(int width, int height, Brightness brightness)
{
    if (width / kCells < 4 || height < 2 * (width / kCells)) {
        return std::nullopt;
    }
    std::array<bool, kCells> bits{};
    for (int i = 0; i < kCells; ++i) {
        const Cell cell = cellAt(i, width, height);
        long sum = 0;
        int count = 0;
        for (int y = cell.y + cell.size / 4; y < cell.y + cell.size * 3 / 4; ++y) {
            for (int x = cell.x + cell.size / 4; x < cell.x + cell.size * 3 / 4; ++x) {
                sum += brightness(x, y);
                ++count;
            }
        }
        bits[i] = sum > 128L * count;
    }
    if (!bits[0] || bits[1]) {
        return std::nullopt;
    }
    Stamp stamp;
    for (int i = 0; i < kChannelBits; ++i) {
        stamp.channel = stamp.channel << 1 | bits[2 + i];
    }
    for (int i = 0; i < kFrameBits; ++i) {
        stamp.frame = stamp.frame << 1 | bits[2 + kChannelBits + i];
    }
    return stamp;
}

}  // namespace frame_stamp
