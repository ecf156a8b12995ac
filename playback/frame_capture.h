#pragma once

#include <QString>

#include <cstdint>
#include <vector>

struct SnapshotTags;

// The frame block handed over for a snapshot: a 40-byte bitmap information
// header (little-endian: size, width, height, planes, bit count, ...) followed
// directly by the pixels, rows bottom-up, blue-green-red(-ignored) per pixel.
inline constexpr int kFrameHeaderSize = 40;

// Builds a 32-bit frame block from top-down BGRx rows `stride` bytes apart.
std::vector<std::uint8_t> makeFrameBlock(const std::uint8_t* bgrx, int width, int height,
                                         int stride);

// Writes the block as a JPEG when it is consistent: positive width and height,
// bit count 24 or 32, and a size of exactly header + width x height x bytes per
// pixel. Returns 1 when the JPEG was written, else 0. With `tags`, the JPEG carries them
// as EXIF.
int saveFrameBlock(const std::vector<std::uint8_t>& block, const QString& fileName,
                   const SnapshotTags* tags = nullptr);
