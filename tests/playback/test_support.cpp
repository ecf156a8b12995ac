#include "tests/playback/test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cstdio>

#include <jpeglib.h>

DecodedJpeg::Rgb DecodedJpeg::at(int x, int y) const
{
    const std::size_t offset = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[offset], rgb[offset + 1], rgb[offset + 2]};
}

DecodedJpeg decodeJpeg(const QString& path)
{
    DecodedJpeg result;
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (file == nullptr) {
        return result;
    }
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    result.progressive = info.progressive_mode;
    if (info.quant_tbl_ptrs[0] != nullptr) {
        result.firstLuminanceQuant = info.quant_tbl_ptrs[0]->quantval[0];
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    result.width = static_cast<int>(info.output_width);
    result.height = static_cast<int>(info.output_height);
    result.components = info.num_components;
    const std::size_t rowBytes = static_cast<std::size_t>(result.width) * 3;
    result.rgb.resize(rowBytes * result.height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = result.rgb.data() + rowBytes * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    result.ok = true;
    return result;
}

bool waitUntil(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}
