#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "repair/picture_order.h"

// The NAL units of length-prefixed H.264 and H.265 samples, judged from their first bytes
// alone: enough to tell a picture's data from other bytes in the media data and to find
// where one picture (access unit) ends and the next begins.

enum class VideoCoding { H264, H265 };

// What a stream's decoder configuration allows in its samples.
struct NalRules
{
    VideoCoding coding = VideoCoding::H264;
    int lengthSize = 4;                 // bytes of each NAL unit's length prefix
    std::vector<uint32_t> pictureSets;  // the picture parameter set ids the configuration holds
    uint32_t maxMacroblocks = 0;        // H.264: the picture's 16x16 blocks; 0 when unknown
    PictureOrderRules order;            // H.264: how the shown order is coded
};

// Bytes of a NAL unit's start that classifyNal reads (after the length prefix).
inline constexpr size_t kNalProbeBytes = 16;

enum class NalRole {
    Invalid,
    Prefix,      // parameter sets, delimiters, SEI: only before a picture's first slice
    FirstSlice,  // the first slice of a picture
    LaterSlice,  // a further slice of the same picture
    Trailer,     // filler, end of sequence or stream: only after a slice
};

struct NalInfo
{
    NalRole role = NalRole::Invalid;
    bool keyframe = false;  // IDR (H.264), IRAP (H.265)
};

// The role of a NAL unit from up to kNalProbeBytes of its bytes (header first) and its
// whole length; Invalid when the header or slice header breaks the rules.
NalInfo classifyNal(const NalRules& rules, const unsigned char* bytes, size_t count,
                    uint64_t length);

// The picture parameter set id of a PPS NAL unit (header first); nothing when unreadable.
std::optional<uint32_t> pictureSetId(VideoCoding coding, const unsigned char* nal, size_t count);
