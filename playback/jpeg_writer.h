#pragma once

#include <QString>

#include <cstdint>

struct SnapshotTags;

// Writes a bottom-up frame (rows of width x bytesPerPixel bytes, no padding,
// each pixel blue, green, red[, ignored]) as a baseline JPEG of quality 80.
// The file appears only when it is complete: it is written beside the target
// under a temporary name and renamed at the end. Returns 1 when the file was
// written, 0 when not (bad arguments, file not creatable, write or encoder error).
// With `tags`, the file carries them as EXIF (see exif_tags.h).
int writeJpegFrame(const std::uint8_t* pixels, int width, int height, int bytesPerPixel,
                   const QString& fileName, const SnapshotTags* tags = nullptr);
