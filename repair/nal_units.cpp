#include "repair/nal_units.h"

#include "repair/bit_reader.h"

#include <algorithm>

namespace {

// Limits far above what a camera writes, so that a length read from other bytes fails.
constexpr uint64_t kMaxSliceBytes = 64ull << 20;
constexpr uint64_t kMaxOtherNalBytes = 1u << 20;
constexpr uint32_t kMaxPictureSetId = 255;

bool knownPictureSet(const NalRules& rules, uint32_t id)
{
    return std::find(rules.pictureSets.begin(), rules.pictureSets.end(), id) !=
           rules.pictureSets.end();
}

NalInfo h264Slice(const NalRules& rules, const unsigned char* bytes, size_t count, int type)
{
    BitReader reader(bytes + 1, count - 1);
    const std::optional<uint32_t> firstBlock = reader.unsignedGolomb();
    const std::optional<uint32_t> sliceType = reader.unsignedGolomb();
    const std::optional<uint32_t> pictureSet = reader.unsignedGolomb();
    if (!firstBlock || !sliceType || !pictureSet || *sliceType > 9 ||
        !knownPictureSet(rules, *pictureSet) ||
        (rules.maxMacroblocks != 0 && *firstBlock >= rules.maxMacroblocks)) {
        return {};
    }
    const bool idr = type == 5;
    // An IDR picture holds I slices only (types 2, 4, 7, 9).
    if (idr && *sliceType % 5 != 2 && *sliceType % 5 != 4) {
        return {};
    }
    return {*firstBlock == 0 ? NalRole::FirstSlice : NalRole::LaterSlice, idr};
}

NalInfo classifyH264(const NalRules& rules, const unsigned char* bytes, size_t count,
                     uint64_t length)
{
    const unsigned header = bytes[0];
    const int type = header & 0x1f;
    const bool referenced = (header & 0x60) != 0;
    if ((header & 0x80) != 0 || length < 2) {
        return {};
    }
    switch (type) {
    case 1:
    case 5:
        if (length > kMaxSliceBytes || (type == 5 && !referenced)) {
            return {};
        }
        return h264Slice(rules, bytes, count, type);
    case 7:
    case 8:
        return referenced && length <= kMaxOtherNalBytes ? NalInfo{NalRole::Prefix, false}
                                                         : NalInfo{};
    case 6:
    case 9:
        return !referenced && length <= kMaxOtherNalBytes ? NalInfo{NalRole::Prefix, false}
                                                          : NalInfo{};
    case 10:
    case 11:
    case 12:
        return !referenced && length <= kMaxOtherNalBytes ? NalInfo{NalRole::Trailer, false}
                                                          : NalInfo{};
    default: return {};
    }
}

NalInfo classifyH265(const NalRules& rules, const unsigned char* bytes, size_t count,
                     uint64_t length)
{
    const int type = (bytes[0] >> 1) & 0x3f;
    const int layer = (bytes[0] & 1) << 5 | bytes[1] >> 3;
    const int temporalIdPlusOne = bytes[1] & 7;
    if ((bytes[0] & 0x80) != 0 || layer != 0 || temporalIdPlusOne == 0 || length < 3) {
        return {};
    }
    const bool slice = type <= 9 || (type >= 16 && type <= 21);
    if (slice) {
        if (length > kMaxSliceBytes) {
            return {};
        }
        const bool irap = type >= 16;
        BitReader reader(bytes + 2, count - 2);
        const std::optional<uint32_t> firstInPicture = reader.bit();
        if (irap && !reader.bit()) {  // no_output_of_prior_pics_flag
            return {};
        }
        const std::optional<uint32_t> pictureSet = reader.unsignedGolomb();
        if (!firstInPicture || !pictureSet || !knownPictureSet(rules, *pictureSet)) {
            return {};
        }
        return {*firstInPicture == 1 ? NalRole::FirstSlice : NalRole::LaterSlice, irap};
    }
    if (length > kMaxOtherNalBytes) {
        return {};
    }
    if ((type >= 32 && type <= 35) || type == 39) {
        return {NalRole::Prefix, false};
    }
    if (type >= 36 && type <= 38) {
        return {NalRole::Trailer, false};
    }
    return type == 40 ? NalInfo{NalRole::Trailer, false} : NalInfo{};
}

}  // namespace

NalInfo classifyNal(const NalRules& rules, const unsigned char* bytes, size_t count,
                    uint64_t length)
{
    count = static_cast<size_t>(std::min<uint64_t>(count, length));
    if (count < 3) {
        return {};
    }
    return rules.coding == VideoCoding::H264 ? classifyH264(rules, bytes, count, length)
                                             : classifyH265(rules, bytes, count, length);
}

std::optional<uint32_t> pictureSetId(VideoCoding coding, const unsigned char* nal, size_t count)
{
    const size_t header = coding == VideoCoding::H264 ? 1 : 2;
    if (count <= header) {
        return std::nullopt;
    }
    BitReader reader(nal + header, count - header);
    const std::optional<uint32_t> id = reader.unsignedGolomb();
    return id && *id <= kMaxPictureSetId ? id : std::nullopt;
}
