#include "repair/picture_check.h"

#include <cstring>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

// Above the most verbose level: the flaws of a wrong configuration are expected here.
constexpr int kSilentLogOffset = 64;

struct ContextFree
{
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFree
{
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFree
{
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};

using Context = std::unique_ptr<AVCodecContext, ContextFree>;

Context openDecoder(const ReferenceLayout& layout)
{
    const AVCodec* codec = avcodec_find_decoder(
        layout.nalRules.coding == VideoCoding::H264 ? AV_CODEC_ID_H264 : AV_CODEC_ID_HEVC);
    Context context(codec == nullptr ? nullptr : avcodec_alloc_context3(codec));
    const std::vector<unsigned char>& config = layout.videoConfig;
    if (!context || config.empty()) {
        return nullptr;
    }
    context->log_level_offset = kSilentLogOffset;
    context->thread_count = 1;
    context->err_recognition = AV_EF_EXPLODE | AV_EF_BITSTREAM | AV_EF_BUFFER;
    context->extradata =
        static_cast<uint8_t*>(av_mallocz(config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (context->extradata == nullptr) {
        return nullptr;
    }
    std::memcpy(context->extradata, config.data(), config.size());
    context->extradata_size = static_cast<int>(config.size());
    return avcodec_open2(context.get(), codec, nullptr) == 0 ? std::move(context) : nullptr;
}

}  // namespace

bool decodesCleanly(const ReferenceLayout& layout, const std::vector<unsigned char>& picture)
{
    Context context = openDecoder(layout);
    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    if (!context || !packet || !frame ||
        av_new_packet(packet.get(), static_cast<int>(picture.size())) != 0) {
        return false;
    }
    std::memcpy(packet->data, picture.data(), picture.size());
    if (avcodec_send_packet(context.get(), packet.get()) != 0 ||
        avcodec_send_packet(context.get(), nullptr) != 0) {
        return false;
    }
    bool clean = false;
    int status = 0;
    while ((status = avcodec_receive_frame(context.get(), frame.get())) == 0) {
        clean = frame->decode_error_flags == 0 && (frame->flags & AV_FRAME_FLAG_CORRUPT) == 0 &&
                frame->width == layout.video.width && frame->height == layout.video.height;
        av_frame_unref(frame.get());
    }
    return clean && status == AVERROR_EOF;
}
