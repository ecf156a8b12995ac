// Per-frame costs on the way from decoder to screen and snapshot, at 1280 x 720:
// the colour conversion the pipeline does, the paint into the window's backing
// store (1:1 and scaled into the player's video area), the snapshot block and JPEG.
#include "playback/frame_capture.h"
#include "playback/jpeg_writer.h"
#include "playback/video_placement.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "bench/benchmark_args.h"
#include <benchmark/benchmark.h>
#include <gst/video/video.h>

#include <vector>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

QImage testFrame()
{
    QImage frame(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(frame.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            line[x] = qRgb(x & 0xff, y & 0xff, (x ^ y) & 0xff);
        }
    }
    return frame;
}

void BM_ConvertI420ToBgrx(benchmark::State& state)
{
    GstVideoInfo in;
    GstVideoInfo out;
    gst_video_info_set_format(&in, GST_VIDEO_FORMAT_I420, kWidth, kHeight);
    gst_video_info_set_format(&out, GST_VIDEO_FORMAT_BGRx, kWidth, kHeight);
    std::vector<guint8> source(GST_VIDEO_INFO_SIZE(&in), 0x80);
    std::vector<guint8> target(GST_VIDEO_INFO_SIZE(&out));
    GstVideoFrame inFrame;
    GstVideoFrame outFrame;
    GstBuffer* inBuffer = gst_buffer_new_wrapped_full(
        GST_MEMORY_FLAG_READONLY, source.data(), source.size(), 0, source.size(), nullptr, nullptr);
    GstBuffer* outBuffer = gst_buffer_new_wrapped_full(
        GstMemoryFlags(0), target.data(), target.size(), 0, target.size(), nullptr, nullptr);
    gst_video_frame_map(&inFrame, &in, inBuffer, GST_MAP_READ);
    gst_video_frame_map(&outFrame, &out, outBuffer, GST_MAP_WRITE);
    GstVideoConverter* converter = gst_video_converter_new(&in, &out, nullptr);
    for (auto _ : state) {
        gst_video_converter_frame(converter, &inFrame, &outFrame);
    }
    gst_video_converter_free(converter);
    gst_video_frame_unmap(&inFrame);
    gst_video_frame_unmap(&outFrame);
    gst_buffer_unref(inBuffer);
    gst_buffer_unref(outBuffer);
}
BENCHMARK(BM_ConvertI420ToBgrx)->Unit(benchmark::kMillisecond);

// The video widget's paint: the frame into a backing store of `area` size.
void BM_PaintFrame(benchmark::State& state)
{
    const QSize area(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const QImage frame = testFrame();
    QImage backingStore(area, QImage::Format_RGB32);
    const QRect target = placeVideo(frame.size(), area);
    for (auto _ : state) {
        QPainter painter(&backingStore);
        painter.drawImage(target, frame);
    }
}
BENCHMARK(BM_PaintFrame)->Args({1280, 720})->Args({672, 378})->Unit(benchmark::kMillisecond);

void BM_MakeFrameBlock(benchmark::State& state)
{
    const QImage frame = testFrame();
    for (auto _ : state) {
        benchmark::DoNotOptimize(makeFrameBlock(frame.constBits(), kWidth, kHeight,
                                                static_cast<int>(frame.bytesPerLine())));
    }
}
BENCHMARK(BM_MakeFrameBlock)->Unit(benchmark::kMillisecond);

void BM_WriteJpeg(benchmark::State& state)
{
    QTemporaryDir dir;
    const QImage frame = testFrame();
    const std::vector<std::uint8_t> block =
        makeFrameBlock(frame.constBits(), kWidth, kHeight, static_cast<int>(frame.bytesPerLine()));
    const QString path = dir.filePath("frame.jpg");
    for (auto _ : state) {
        benchmark::DoNotOptimize(saveFrameBlock(block, path));
    }
}
BENCHMARK(BM_WriteJpeg)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    gst_init(&argc, &argv);
    if (const int status =
            takeBenchmarkArgs(&argc, argv, "usage: bench_playback [benchmark options]\n");
        status >= 0) {
        return status;
    }
    return runBenchmarks();
}
