#include "playback/jpeg_writer.h"

#include "playback/exif_tags.h"

#include <QSaveFile>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int kQuality = 80;

// The library's standard error handler ends the process; this one returns to
// compressFrame instead, so a broken encode only fails the snapshot.
struct ErrorTrap
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void leaveEncoder(j_common_ptr info)
{
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    std::longjmp(trap->jump, 1);
}

struct FrameSource
{
    const std::uint8_t* pixels;
    int width;
    int height;
    int bytesPerPixel;
    const std::vector<unsigned char>* exif;  // APP1 body, or empty
};

struct Compression
{
    jpeg_compress_struct info;
    ErrorTrap error;
    unsigned char* output;
    unsigned long outputSize;
};

// Top row of the picture first: the frame stores it last.
void fillScanLine(const FrameSource& frame, int pictureRow, unsigned char* line)
{
    const std::size_t stride = static_cast<std::size_t>(frame.width) * frame.bytesPerPixel;
    const std::uint8_t* stored = frame.pixels + stride * (frame.height - 1 - pictureRow);
    for (int x = 0; x < frame.width; ++x) {
        const std::uint8_t* pixel = stored + static_cast<std::size_t>(x) * frame.bytesPerPixel;
        line[3 * x] = pixel[2];
        line[3 * x + 1] = pixel[1];
        line[3 * x + 2] = pixel[0];
    }
}

// Only plain data may live in this frame: the encoder leaves it by longjmp.
bool compressFrame(Compression& job, const FrameSource& frame, unsigned char* line)
{
    job.info.err = jpeg_std_error(&job.error.manager);
    job.error.manager.error_exit = leaveEncoder;
    if (setjmp(job.error.jump)) {
        jpeg_destroy_compress(&job.info);
        return false;
    }
    jpeg_create_compress(&job.info);
    jpeg_mem_dest(&job.info, &job.output, &job.outputSize);

    job.info.image_width = static_cast<JDIMENSION>(frame.width);
    job.info.image_height = static_cast<JDIMENSION>(frame.height);
    job.info.input_components = 3;
    job.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&job.info);
    jpeg_set_quality(&job.info, kQuality, TRUE);
    jpeg_start_compress(&job.info, TRUE);
    if (!frame.exif->empty()) {
        jpeg_write_marker(&job.info, JPEG_APP0 + 1, frame.exif->data(),
                          static_cast<unsigned>(frame.exif->size()));
    }

    JSAMPROW rows[1] = {line};
    while (job.info.next_scanline < job.info.image_height) {
        fillScanLine(frame, static_cast<int>(job.info.next_scanline), line);
        jpeg_write_scanlines(&job.info, rows, 1);
    }
    jpeg_finish_compress(&job.info);
    jpeg_destroy_compress(&job.info);
    return true;
}

// A marker segment's length field counts itself: 65535 - 2 bytes of body at most.
constexpr std::size_t kMaxMarkerBytes = 65533;

// Bounds the row buffer; the encoder itself refuses anything above its own limit.
constexpr int kMaxDimension = 1 << 20;

bool validFrame(const std::uint8_t* pixels, int width, int height, int bytesPerPixel)
{
    return pixels != nullptr && width > 0 && height > 0 && width <= kMaxDimension &&
           height <= kMaxDimension && (bytesPerPixel == 3 || bytesPerPixel == 4);
}

}  // namespace

int writeJpegFrame(const std::uint8_t* pixels, int width, int height, int bytesPerPixel,
                   const QString& fileName, const SnapshotTags* tags)
{
    if (!validFrame(pixels, width, height, bytesPerPixel)) {
        return 0;
    }
    std::vector<unsigned char> line(static_cast<std::size_t>(width) * 3);
    const std::vector<unsigned char> exif =
        tags ? exifSegment(*tags, width, height) : std::vector<unsigned char>();
    if (exif.size() > kMaxMarkerBytes) {
        return 0;
    }

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        return 0;
    }

    Compression job{};
    const FrameSource frame{pixels, width, height, bytesPerPixel, &exif};
    const bool encoded = compressFrame(job, frame, line.data());
    const bool written = encoded && file.write(reinterpret_cast<const char*>(job.output),
                                               static_cast<qint64>(job.outputSize)) ==
                                        static_cast<qint64>(job.outputSize);
    std::free(job.output);
    if (!written) {
        file.cancelWriting();
        return 0;
    }
    return file.commit() ? 1 : 0;
}
