#include "repair/media_scan.h"

#include "repair/aac_frames.h"

#include <algorithm>
#include <cstring>

namespace {

// Over four hours of 60 fps video or of AAC at 48 kHz, longer than a camera records one
// file: what the tables of a damaged file may cost at most (about 20 MB a track).
constexpr uint64_t kMaxSamples = 1u << 20;
constexpr int kMaxNalsPerPicture = 1024;
constexpr uint64_t kMaxPictureBytes = 64u << 20;  // far above a 4K camera's keyframe
constexpr size_t kScanBlock = 1u << 20;
constexpr size_t kProbeBytes = 4 + kNalProbeBytes;
// An AAC frame holds at most 6144 bits a channel; cameras record one or two channels.
constexpr size_t kMaxAacFrameBytes = 8192;

struct Picture
{
    enum Read { Whole, None, Cut } read = None;  // Cut: it starts here but ends past the data
    uint64_t end = 0;
    bool keyframe = false;
    StoredPicture order;
};

struct Probe
{
    uint64_t length = 0;  // of the NAL unit after the prefix
    NalInfo info;
};

std::optional<Probe> probeNal(const NalRules& rules, const unsigned char* bytes, size_t count)
{
    const size_t prefix = static_cast<size_t>(rules.lengthSize);
    if (count < prefix + 3) {
        return std::nullopt;
    }
    uint64_t length = 0;
    for (size_t i = 0; i < prefix; ++i) {
        length = length << 8 | bytes[i];
    }
    return Probe{length, classifyNal(rules, bytes + prefix, count - prefix, length)};
}

// The picture whose first NAL unit starts at `at`.
Picture readPicture(BinaryFile& file, const NalRules& rules, uint64_t at, uint64_t end)
{
    const uint64_t start = at;
    Picture picture;
    bool sliceSeen = false;
    for (int nals = 0; nals < kMaxNalsPerPicture && at < end; ++nals) {
        unsigned char bytes[kProbeBytes];
        const size_t count =
            file.readAt(at, bytes, static_cast<size_t>(std::min<uint64_t>(kProbeBytes, end - at)));
        const std::optional<Probe> probe = probeNal(rules, bytes, count);
        if (!probe || probe->info.role == NalRole::Invalid) {
            break;
        }
        const NalRole role = probe->info.role;
        const bool continues = sliceSeen ? role == NalRole::LaterSlice || role == NalRole::Trailer
                                         : role == NalRole::Prefix || role == NalRole::FirstSlice;
        if (!continues) {
            if (!sliceSeen) {
                return {};
            }
            break;
        }
        const uint64_t nalEnd = at + rules.lengthSize + probe->length;
        if (nalEnd - start > kMaxPictureBytes) {
            return {};
        }
        if (nalEnd > end) {
            return {Picture::Cut, 0, false, {}};
        }
        if (role == NalRole::FirstSlice) {
            const unsigned char* nal = bytes + rules.lengthSize;
            const size_t nalBytes = count - static_cast<size_t>(rules.lengthSize);
            picture.order.orderLowBits =
                pictureOrderLowBits(rules.order, nal, nalBytes).value_or(0);
            picture.order.referenced = (nal[0] & 0x60) != 0;
            picture.order.idr = probe->info.keyframe;
        }
        sliceSeen = sliceSeen || role == NalRole::FirstSlice;
        picture.keyframe = picture.keyframe || probe->info.keyframe;
        at = nalEnd;
    }
    if (!sliceSeen) {
        return {};
    }
    picture.read = Picture::Whole;
    picture.end = at;
    return picture;
}

// The first position in [from, end) where a picture starts, or end.
uint64_t findPicture(BinaryFile& file, const NalRules& rules, uint64_t from, uint64_t end)
{
    std::vector<unsigned char> block;
    for (uint64_t blockStart = from; blockStart < end;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(kScanBlock, end - blockStart));
        block.resize(want);
        block.resize(file.readAt(blockStart, block.data(), want));
        if (block.empty()) {
            return end;
        }
        // Positions near the block's end are tried again at the start of the next block.
        const size_t last = block.size() == want && blockStart + want < end
                                ? block.size() - std::min(block.size() - 1, kProbeBytes)
                                : block.size();
        for (size_t i = 0; i < last; ++i) {
            // A slice's length prefix starts with a zero byte: far below 2^24 bytes.
            if (rules.lengthSize == 4 && block[i] != 0) {
                continue;
            }
            const std::optional<Probe> probe =
                probeNal(rules, block.data() + i, std::min(kProbeBytes, block.size() - i));
            if (probe &&
                (probe->info.role == NalRole::Prefix || probe->info.role == NalRole::FirstSlice) &&
                readPicture(file, rules, blockStart + i, end).read == Picture::Whole) {
                return blockStart + i;
            }
        }
        blockStart += last;
    }
    return end;
}

// The end of a free or skip atom at `at` that lies inside the data, or nothing.
std::optional<uint64_t> embeddedAtomEnd(BinaryFile& file, uint64_t at, uint64_t end)
{
    unsigned char header[8];
    if (end - at < 8 || !file.readExact(at, header, 8)) {
        return std::nullopt;
    }
    const uint32_t size = loadBE32(header);
    const bool filler =
        std::memcmp(header + 4, "free", 4) == 0 || std::memcmp(header + 4, "skip", 4) == 0;
    if (!filler || size < 8 || size > end - at) {
        return std::nullopt;
    }
    return at + size;
}

// The audio between the pictures: AAC frame by frame, each found by decoding it, or a run
// of fixed-size samples up to the next picture.
class AudioFramer
{
public:
    explicit AudioFramer(const ReferenceLayout& layout)
        : m_layout(layout), m_aac(layout.audioConfig)
    {}

    bool framesAac() const { return m_layout.audioFraming == AudioFraming::Aac && m_aac.isReady(); }

    // The AAC frame at `at`, added to the track; false when none starts there.
    bool addAacFrame(BinaryFile& file, uint64_t at, uint64_t end, RebuiltTrack& track)
    {
        unsigned char bytes[kMaxAacFrameBytes];
        const size_t count =
            file.readAt(at, bytes, static_cast<size_t>(std::min<uint64_t>(sizeof bytes, end - at)));
        // A raw data block opens with a channel element, data, program config or fill.
        const int element = count > 0 ? bytes[0] >> 5 : 7;
        if (element == 2 || element == 3 || element == 7) {
            return false;
        }
        const std::optional<uint32_t> size =
            m_aac.frameLength(bytes, count, 4 * m_layout.audioSampleSize);
        if (!size) {
            return false;
        }
        track.add(at, *size, m_layout.audio.sampleDuration, 1, false);
        return true;
    }

    void addFixedRun(uint64_t begin, uint64_t end, RebuiltTrack& track)
    {
        if (m_layout.audioFraming != AudioFraming::Fixed) {
            return;
        }
        const uint64_t count = (end - begin) / m_layout.audioSampleSize;
        if (count > 0 && count <= UINT32_MAX) {
            track.uniformSize = m_layout.audioSampleSize;
            track.add(begin, m_layout.audioSampleSize, m_layout.audio.sampleDuration,
                      static_cast<uint32_t>(count), false);
        }
    }

private:
    const ReferenceLayout& m_layout;
    AacFrameSplitter m_aac;
};

}  // namespace

void RebuiltTrack::add(uint64_t offset, uint32_t size, uint32_t sampleDuration, uint32_t count,
                       bool keyframe)
{
    if (keyframe) {
        syncSamples.push_back(static_cast<uint32_t>(sampleCount + 1));
    }
    if (uniformSize == 0) {
        sizes.push_back(size);
    }
    if (!chunks.empty() && chunkEnd == offset) {
        chunks.back().samples += count;
    } else {
        chunks.push_back({offset, count});
    }
    if (!times.empty() && times.back().duration == sampleDuration) {
        times.back().count += count;
    } else {
        times.push_back({count, sampleDuration});
    }
    sampleCount += count;
    duration += uint64_t{sampleDuration} * count;
    chunkEnd = offset + uint64_t{size} * count;
}

MediaScan scanMediaData(BinaryFile& file, Span data, const ReferenceLayout& layout)
{
    MediaScan scan;
    std::vector<StoredPicture> order;
    AudioFramer audio(layout);
    const NalRules& rules = layout.nalRules;
    uint64_t at = data.begin;
    // The limit is on the entries kept: samples of one size are counted, not listed.
    while (at < data.end && scan.video.sampleCount < kMaxSamples &&
           scan.audio.sizes.size() < kMaxSamples && scan.audio.chunks.size() < kMaxSamples) {
        const Picture picture = readPicture(file, rules, at, data.end);
        if (picture.read == Picture::Whole) {
            // Pictures before the first keyframe cannot be decoded.
            if (picture.keyframe || scan.video.sampleCount > 0) {
                scan.video.add(at, static_cast<uint32_t>(picture.end - at),
                               layout.video.sampleDuration, 1, picture.keyframe);
                order.push_back(picture.order);
                scan.keptEnd = picture.end;
            }
            at = picture.end;
            continue;
        }
        if (const std::optional<uint64_t> atomEnd = embeddedAtomEnd(file, at, data.end)) {
            at = *atomEnd;
            continue;
        }
        // Frame by frame where the frames can be told apart: bytes of audio that look like
        // the start of a picture are not taken for one.
        if (audio.framesAac() && audio.addAacFrame(file, at, data.end, scan.audio)) {
            at = scan.audio.chunkEnd;
            continue;
        }
        // The cut: the bytes of a picture that was being written are no place to look for
        // another.
        if (picture.read == Picture::Cut) {
            break;
        }
        const uint64_t next = findPicture(file, rules, at + 1, data.end);
        if (next == data.end) {
            break;  // what follows the last picture may be cut anywhere
        }
        audio.addFixedRun(at, next, scan.audio);
        at = next;
    }
    scan.keptEnd = std::max(scan.keptEnd, scan.audio.chunkEnd);
    if (rules.coding == VideoCoding::H264) {
        scan.videoOffsets = compositionOffsets(rules.order, order);
    }
    return scan;
}
