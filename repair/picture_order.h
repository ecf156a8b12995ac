#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The order in which H.264 pictures are shown, where it differs from the order they are
// stored in (B-frames): from the picture order count of each picture's first slice, for
// the sequence parameter sets that code it as its low bits (type 0).

struct PictureOrderRules
{
    bool countsLowBits = false;  // false: pictures are shown as stored, as far as known
    uint32_t frameNumBits = 0;
    uint32_t orderBits = 0;
    bool framesOnly = true;
    bool separateColourPlanes = false;
};

// The rules of an H.264 sequence parameter set (header first, as stored).
PictureOrderRules readPictureOrderRules(const unsigned char* sps, size_t count);

// The low bits of the picture order count of a first slice (header first, as stored).
std::optional<uint32_t> pictureOrderLowBits(const PictureOrderRules& rules,
                                            const unsigned char* slice, size_t count);

struct StoredPicture
{
    uint32_t orderLowBits = 0;
    bool referenced = false;
    bool idr = false;
};

// How many frames each picture is shown after it is decoded, plus one shift that makes
// every offset non-negative (the frames by which the first picture is shown late); empty
// when every picture is shown as stored.
struct CompositionOffsets
{
    std::vector<uint32_t> frames;
    uint32_t shift = 0;
};
CompositionOffsets compositionOffsets(const PictureOrderRules& rules,
                                      const std::vector<StoredPicture>& pictures);
