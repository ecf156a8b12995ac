#include "repair/aac_frames.h"

#include <algorithm>
#include <cstring>
#include <optional>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

// Above the most verbose level: the decoder's complaints about the trial lengths that are
// too short are expected and go nowhere.
constexpr int kSilentLogOffset = 64;

// An MPEG-4 descriptor's tag and expandable size at `at`; the position after the header.
std::optional<size_t> descriptor(const unsigned char* bytes, size_t count, size_t at,
                                 unsigned char tag, size_t& size)
{
    if (at >= count || bytes[at] != tag) {
        return std::nullopt;
    }
    size = 0;
    for (int i = 0; i < 4; ++i) {
        if (++at >= count) {
            return std::nullopt;
        }
        size = size << 7 | (bytes[at] & 0x7f);
        if ((bytes[at] & 0x80) == 0) {
            break;
        }
    }
    ++at;
    return size <= count - std::min(at, count) ? std::optional(at) : std::nullopt;
}

}  // namespace

struct AacFrameSplitter::Decoder
{
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;

    ~Decoder()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }
};

AacFrameSplitter::AacFrameSplitter(const std::vector<unsigned char>& audioConfig)
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    if (codec == nullptr || audioConfig.empty()) {
        return;
    }
    auto decoder = std::make_unique<Decoder>();
    decoder->context = avcodec_alloc_context3(codec);
    decoder->packet = av_packet_alloc();
    decoder->frame = av_frame_alloc();
    if (decoder->context == nullptr || decoder->packet == nullptr || decoder->frame == nullptr) {
        return;
    }
    decoder->context->log_level_offset = kSilentLogOffset;
    decoder->context->extradata =
        static_cast<uint8_t*>(av_mallocz(audioConfig.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (decoder->context->extradata == nullptr) {
        return;
    }
    std::memcpy(decoder->context->extradata, audioConfig.data(), audioConfig.size());
    decoder->context->extradata_size = static_cast<int>(audioConfig.size());
    if (avcodec_open2(decoder->context, codec, nullptr) == 0) {
        m_decoder = std::move(decoder);
    }
}

AacFrameSplitter::~AacFrameSplitter() = default;

bool AacFrameSplitter::decodesOneFrame(const unsigned char* bytes, size_t count)
{
    AVPacket* packet = m_decoder->packet;
    if (av_new_packet(packet, static_cast<int>(count)) != 0) {
        return false;
    }
    std::memcpy(packet->data, bytes, count);
    const bool sent = avcodec_send_packet(m_decoder->context, packet) == 0;
    av_packet_unref(packet);
    const bool decoded = sent && avcodec_receive_frame(m_decoder->context, m_decoder->frame) == 0;
    av_frame_unref(m_decoder->frame);
    // Bytes past the frame would be decoded as further frames: dropped unread.
    avcodec_flush_buffers(m_decoder->context);
    return decoded;
}

std::optional<uint32_t> AacFrameSplitter::frameLength(const unsigned char* bytes, size_t count,
                                                      size_t likely)
{
    if (!m_decoder || count == 0 || count > INT32_MAX) {
        return std::nullopt;
    }
    size_t decoding = std::min(count, std::max<size_t>(likely, 1));
    if (!decodesOneFrame(bytes, decoding)) {
        decoding = count;
        if (likely >= count || !decodesOneFrame(bytes, decoding)) {
            return std::nullopt;
        }
    }
    // The shortest length that still decodes: every longer one does, no shorter one.
    size_t failing = 0;
    while (decoding - failing > 1) {
        const size_t middle = failing + (decoding - failing) / 2;
        (decodesOneFrame(bytes, middle) ? decoding : failing) = middle;
    }
    return static_cast<uint32_t>(decoding);
}

std::vector<unsigned char> audioSpecificConfig(const unsigned char* esds, size_t count)
{
    constexpr unsigned char kElementaryStream = 3;
    constexpr unsigned char kDecoderConfig = 4;
    constexpr unsigned char kDecoderSpecific = 5;
    constexpr size_t kDecoderConfigFields = 13;
    size_t size = 0;
    const std::optional<size_t> stream = descriptor(esds, count, 0, kElementaryStream, size);
    if (!stream || *stream + 3 > count) {
        return {};
    }
    // ES id, then flags: a stream it depends on, a URL, an OCR stream id.
    const unsigned char flags = esds[*stream + 2];
    size_t at = *stream + 3;
    at += (flags & 0x80) != 0 ? 2 : 0;
    if ((flags & 0x40) != 0) {
        at += at < count ? size_t{esds[at]} + 1 : 0;
    }
    at += (flags & 0x20) != 0 ? 2 : 0;
    const std::optional<size_t> config = descriptor(esds, count, at, kDecoderConfig, size);
    if (!config) {
        return {};
    }
    const std::optional<size_t> specific =
        descriptor(esds, count, *config + kDecoderConfigFields, kDecoderSpecific, size);
    if (!specific || size == 0) {
        return {};
    }
    return {esds + *specific, esds + *specific + size};
}
