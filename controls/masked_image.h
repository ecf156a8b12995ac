#pragma once

#include <QImage>
#include <QPainter>

#include <cstdint>

// Colours given as 0x00BBGGRR; this marker instead means "the colour of the sample pixel".
constexpr std::uint32_t kTransparentFromSample = 0xFF000000;

// Makes `mask` (opaque white where `image` has the transparent colour, clear elsewhere) and
// turns the transparent pixels of `image` black and clear, so the image can be ORed over
// a target that the mask has ANDed. `image` becomes premultiplied ARGB.
void makeMask(QImage& image, QImage& mask, std::uint32_t transparentColour, int sampleX,
              int sampleY);

// Copies the w x h block at (sx, sy) of `source` to (x, y) of the target: a plain copy, or,
// when `transparent`, target AND mask then OR source, so pixels under mask bit 1 keep
// the target.
void drawPart(QPainter& target, int x, int y, int w, int h, const QImage& source, int sx, int sy,
              const QImage& mask, bool transparent);
