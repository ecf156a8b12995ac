#include "repair/picture_order.h"

#include <algorithm>
#include <numeric>

#include "repair/bit_reader.h"

namespace {

constexpr size_t kMaxParsedBytes = 256;
constexpr uint32_t kMaxOrderBits = 16;  // log2_max_pic_order_cnt_lsb is 4 to 16

// The bytes without the emulation prevention bytes (0x000003 -> 0x0000) and the header.
std::vector<unsigned char> payload(const unsigned char* nal, size_t count)
{
    std::vector<unsigned char> out;
    int zeros = 0;
    for (size_t i = 1; i < std::min(count, kMaxParsedBytes); ++i) {
        if (zeros >= 2 && nal[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = nal[i] == 0 ? zeros + 1 : 0;
        out.push_back(nal[i]);
    }
    return out;
}

bool skipScalingList(BitReader& reader, int size)
{
    int last = 8;
    int next = 8;
    for (int j = 0; j < size; ++j) {
        if (next != 0) {
            const std::optional<int32_t> delta = reader.signedGolomb();
            if (!delta) {
                return false;
            }
            next = (last + *delta + 256) % 256;
        }
        last = next == 0 ? last : next;
    }
    return true;
}

// Chroma format and scaling matrices of the high profiles.
bool skipHighProfileFields(BitReader& reader, PictureOrderRules& rules)
{
    const std::optional<uint32_t> chroma = reader.unsignedGolomb();
    if (!chroma) {
        return false;
    }
    if (*chroma == 3) {
        rules.separateColourPlanes = reader.bit().value_or(0) == 1;
    }
    reader.unsignedGolomb();  // bit depths
    reader.unsignedGolomb();
    reader.bit();  // lossless bypass
    if (reader.bit().value_or(0) == 1) {
        for (int i = 0; i < (*chroma == 3 ? 12 : 8); ++i) {
            if (reader.bit().value_or(0) == 1 && !skipScalingList(reader, i < 6 ? 16 : 64)) {
                return false;
            }
        }
    }
    return true;
}

bool highProfile(uint32_t profile)
{
    for (uint32_t p : {100u, 110u, 122u, 244u, 44u, 83u, 86u, 118u, 128u, 138u, 139u, 134u, 135u}) {
        if (profile == p) {
            return true;
        }
    }
    return false;
}

}  // namespace

PictureOrderRules readPictureOrderRules(const unsigned char* sps, size_t count)
{
    const std::vector<unsigned char> bytes = payload(sps, count);
    BitReader reader(bytes.data(), bytes.size());
    PictureOrderRules rules;
    const std::optional<uint32_t> profile = reader.bits(8);
    reader.bits(16);  // constraints, level
    reader.unsignedGolomb();
    if (!profile || (highProfile(*profile) && !skipHighProfileFields(reader, rules))) {
        return {};
    }
    const std::optional<uint32_t> frameNumBits = reader.unsignedGolomb();
    const std::optional<uint32_t> orderType = reader.unsignedGolomb();
    const std::optional<uint32_t> orderBits = reader.unsignedGolomb();
    if (!frameNumBits || !orderType || *orderType != 0 || !orderBits ||
        *orderBits + 4 > kMaxOrderBits || *frameNumBits + 4 > kMaxOrderBits) {
        return {};
    }
    reader.unsignedGolomb();  // reference frames
    reader.bit();             // gaps in frame numbers
    reader.unsignedGolomb();  // width and height
    reader.unsignedGolomb();
    const std::optional<uint32_t> framesOnly = reader.bit();
    if (!framesOnly) {
        return {};
    }
    rules.countsLowBits = true;
    rules.frameNumBits = *frameNumBits + 4;
    rules.orderBits = *orderBits + 4;
    rules.framesOnly = *framesOnly == 1;
    return rules;
}

std::optional<uint32_t> pictureOrderLowBits(const PictureOrderRules& rules,
                                            const unsigned char* slice, size_t count)
{
    if (!rules.countsLowBits || count < 2) {
        return std::nullopt;
    }
    const bool idr = (slice[0] & 0x1f) == 5;
    const std::vector<unsigned char> bytes = payload(slice, count);
    BitReader reader(bytes.data(), bytes.size());
    reader.unsignedGolomb();  // first block, slice type, picture parameter set
    reader.unsignedGolomb();
    reader.unsignedGolomb();
    if (rules.separateColourPlanes) {
        reader.bits(2);
    }
    reader.bits(rules.frameNumBits);
    if (!rules.framesOnly && reader.bit().value_or(0) == 1) {
        reader.bit();  // a field: bottom or top
    }
    if (idr) {
        reader.unsignedGolomb();
    }
    return reader.bits(rules.orderBits);
}

CompositionOffsets compositionOffsets(const PictureOrderRules& rules,
                                      const std::vector<StoredPicture>& pictures)
{
    if (!rules.countsLowBits || pictures.empty()) {
        return {};
    }
    // Full counts: the low bits with the high part carried over from the last reference
    // picture, reset at every IDR picture.
    const int64_t range = int64_t{1} << rules.orderBits;
    std::vector<int64_t> counts(pictures.size());
    int64_t high = 0;
    int64_t lastLow = 0;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const int64_t low = pictures[i].orderLowBits;
        if (pictures[i].idr) {
            high = lastLow = 0;
        }
        int64_t h = high;
        if (low < lastLow && lastLow - low >= range / 2) {
            h += range;
        } else if (low > lastLow && low - lastLow > range / 2) {
            h -= range;
        }
        counts[i] = h + low;
        if (pictures[i].referenced) {
            high = h;
            lastLow = low;
        }
    }
    // Between two IDR pictures, the shown order is the order of the counts.
    std::vector<int64_t> offsets(pictures.size());
    for (size_t start = 0; start < pictures.size();) {
        size_t end = start + 1;
        while (end < pictures.size() && !pictures[end].idr) {
            ++end;
        }
        std::vector<size_t> shown(end - start);
        std::iota(shown.begin(), shown.end(), start);
        std::stable_sort(shown.begin(), shown.end(),
                         [&](size_t a, size_t b) { return counts[a] < counts[b]; });
        for (size_t rank = 0; rank < shown.size(); ++rank) {
            offsets[shown[rank]] =
                static_cast<int64_t>(start + rank) - static_cast<int64_t>(shown[rank]);
        }
        start = end;
    }
    if (std::all_of(offsets.begin(), offsets.end(), [](int64_t o) { return o == 0; })) {
        return {};
    }
    CompositionOffsets out;
    const int64_t lowest = *std::min_element(offsets.begin(), offsets.end());
    out.shift = static_cast<uint32_t>(-std::min<int64_t>(lowest, 0));
    out.frames.reserve(offsets.size());
    for (int64_t offset : offsets) {
        out.frames.push_back(static_cast<uint32_t>(offset + out.shift));
    }
    return out;
}
