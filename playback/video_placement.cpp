#include "playback/video_placement.h"

QRect placeVideo(QSize video, QSize area)
{
    const int areaWidth = area.width();
    const int areaHeight = area.height();
    if (video.width() < 1 || video.height() < 1) {
        return QRect(0, 0, areaWidth, areaHeight);
    }

    // Truncated toward zero, so the picture never spills a pixel past the area; single
    // precision, as the placement has always been computed, so no picture moves by a pixel.
    const float aspect = static_cast<float>(video.width()) / static_cast<float>(video.height());
    int width = static_cast<int>(static_cast<float>(areaHeight) * aspect);
    int height = areaHeight;
    if (areaWidth < width) {
        width = areaWidth;
        height = static_cast<int>(static_cast<float>(areaWidth) / aspect);
        if (areaHeight < height) {
            height = areaHeight;
        }
    }
    const int left = (areaWidth - width) / 2;
    const int top = (areaHeight - height) / 2;
    return QRect(left, top, width, height);
}
