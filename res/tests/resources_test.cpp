// The skin's pictures as the program finds them: names, sizes, file formats and the few
// pixels other parts of the program rely on.

#include "res/resources.h"

#include <QFile>
#include <QImage>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct Expected
{
    const char* file;
    int width, height;
};

const Expected kPictures[] = {
    {"skin.png", 1024, 768},
    // Button strips: four frames side by side.
    {"cycle-on.png", 208, 51},
    {"next.png", 208, 51},
    {"play.png", 208, 51},
    {"previous.png", 208, 51},
    {"cycle-off.png", 208, 51},
    {"stop.png", 208, 51},
    {"print.png", 208, 51},
    {"capture.png", 208, 51},
    {"pause.png", 208, 51},
    {"clear.png", 260, 29},
    {"import.png", 260, 29},
    {"close.png", 116, 21},
    {"minimise.png", 116, 21},
    {"volume-up.png", 92, 23},
    {"volume-down.png", 92, 23},
    {"idle.jpg", 510, 360},
    // The speedometer in mph, over the skin's km/h face.
    {"dial-mph.png", 157, 157},
    // Seek bar.
    {"seek-channel.png", 675, 9},
    {"seek-played.png", 675, 9},
    {"seek-thumb.png", 18, 18},
    {"seek-thumb-held.png", 18, 18},
    // List header.
    {"header-right-edge.png", 4, 24},
    {"header-face.png", 2, 24},
    {"header-left-edge.png", 4, 24},
    // Scroll bars.
    {"hscroll-left.png", 26, 12},
    {"hscroll-right.png", 26, 12},
    {"hscroll-channel.png", 1, 12},
    {"hscroll-thumb.png", 26, 12},
    {"vscroll-bottom-cap.png", 11, 11},
    {"vscroll-down.png", 12, 26},
    {"vscroll-channel.png", 12, 1},
    {"vscroll-thumb.png", 12, 26},
    {"vscroll-top-cap.png", 12, 11},
    {"vscroll-up.png", 12, 26},
    // Volume bars, compass arrow, icon.
    {"volume-lit.png", 4, 20},
    {"volume-unlit.png", 4, 20},
    {"compass-arrow.png", 20, 72},
    {"icon.png", 256, 256},
};

QByteArray bytesOf(const char* file)
{
    QFile f(skinResourcePath(QLatin1String(file)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage load(const char* file)
{
    return skinPicture(QLatin1String(file));
}

// The file's own signature agrees with its name.
void expectFormat(const char* file, const QByteArray& bytes)
{
    if (QLatin1String(file).endsWith(QLatin1String(".png"))) {
        EXPECT_TRUE(bytes.startsWith("\x89PNG\r\n\x1a\n"));
    } else {
        EXPECT_TRUE(bytes.startsWith("\xff\xd8\xff"));
    }
}

// Alpha only fully on or off: these pictures are turned pixel by pixel or drawn small,
// where a half-clear fringe would show.
int clearPixels(const QImage& picture)
{
    int clear = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const int alpha = qAlpha(picture.pixel(x, y));
            EXPECT_TRUE(alpha == 0 || alpha == 255) << x << "," << y;
            clear += alpha == 0 ? 1 : 0;
        }
    }
    return clear;
}

int luminance(QRgb c)
{
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

// Mean brightness of the opaque pixels of one frame of a strip.
int frameBrightness(const QImage& strip, int frame)
{
    const int w = strip.width() / 4;
    long sum = 0, count = 0;
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = frame * w; x < (frame + 1) * w; ++x) {
            const QRgb c = strip.pixel(x, y);
            if (qAlpha(c) == 255) {
                sum += luminance(c);
                ++count;
            }
        }
    }
    return count ? static_cast<int>(sum / count) : 0;
}

QImage frameOf(const QImage& strip, int frame)
{
    const int w = strip.width() / 4;
    return strip.copy(frame * w, 0, w, strip.height());
}

}  // namespace

TEST(Resources, EveryPictureLoadsWithItsSizeAndFormat)
{
    for (const Expected& e : kPictures) {
        SCOPED_TRACE(e.file);
        const QByteArray bytes = bytesOf(e.file);
        ASSERT_FALSE(bytes.isEmpty());
        expectFormat(e.file, bytes);
        const QImage image = QImage::fromData(bytes);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(e.width, e.height));
    }
}

TEST(Resources, StripsHaveAlphaAndFourDistinctFrames)
{
    const char* const strips[] = {"cycle-on.png", "cycle-off.png",   "next.png",     "play.png",
                                  "pause.png",    "previous.png",    "stop.png",     "print.png",
                                  "capture.png",  "clear.png",       "import.png",   "close.png",
                                  "minimise.png", "volume-down.png", "volume-up.png"};
    for (const char* file : strips) {
        SCOPED_TRACE(file);
        const QImage strip = load(file).convertToFormat(QImage::Format_ARGB32);
        EXPECT_TRUE(strip.hasAlphaChannel());
        for (int a = 0; a < 4; ++a) {
            for (int b = a + 1; b < 4; ++b) {
                EXPECT_NE(frameOf(strip, a), frameOf(strip, b)) << "frames " << a << " and " << b;
            }
        }
        // Frame 2 (highlighted) is brighter than frame 3 (disabled).
        EXPECT_GT(frameBrightness(strip, 2), frameBrightness(strip, 3) + 8);
    }
}

TEST(Resources, CompassArrowIsClearAroundItsHardEdges)
{
    const QImage arrow = load("compass-arrow.png");
    ASSERT_EQ(arrow.size(), QSize(20, 72));
    for (QPoint corner : {QPoint(0, 0), QPoint(19, 0), QPoint(0, 71), QPoint(19, 71)}) {
        EXPECT_EQ(qAlpha(arrow.pixel(corner)), 0);
    }
    EXPECT_GT(clearPixels(arrow), 20 * 72 / 3);
    // The arrow itself runs the full height along the middle column.
    for (int y = 4; y < 68; ++y) {
        EXPECT_EQ(qAlpha(arrow.pixel(10, y)), 255) << y;
    }
    // Its north half is red, the south half is not.
    EXPECT_GT(arrow.pixelColor(10, 18).red(), arrow.pixelColor(10, 18).green() + 80);
    EXPECT_LT(std::abs(arrow.pixelColor(10, 54).red() - arrow.pixelColor(10, 54).green()), 40);
}

TEST(Resources, SeekBarThumbsAreClearButInTheVisibleRows)
{
    for (const char* file : {"seek-thumb.png", "seek-thumb-held.png"}) {
        SCOPED_TRACE(file);
        const QImage thumb = load(file);
        EXPECT_GT(clearPixels(thumb), 0);
        // Only rows 5..13 are on screen (the thumb hangs 5 rows above the 9-row bar).
        for (int y = 5; y <= 13; ++y) {
            EXPECT_EQ(qAlpha(thumb.pixel(9, y)), 255) << y;
        }
        EXPECT_EQ(qAlpha(thumb.pixel(9, 2)), 0);
        EXPECT_EQ(qAlpha(thumb.pixel(9, 16)), 0);
    }
    // Played and unplayed channel differ everywhere along the groove.
    const QImage normal = load("seek-channel.png"), active = load("seek-played.png");
    for (int x = 4; x < 671; x += 50) {
        EXPECT_NE(normal.pixelColor(x, 4), active.pixelColor(x, 4)) << x;
    }
}

TEST(Resources, SkinHasItsTitleStripAndLine)
{
    const QImage skin = load("skin.png");
    ASSERT_EQ(skin.size(), QSize(1024, 768));
    const QColor line = skin.pixelColor(0, 29);
    EXPECT_GE(line.lightness(), 170);
    EXPECT_LT(std::abs(line.red() - line.blue()), 20) << "grey";
    for (int x = 0; x < 1024; ++x) {
        ASSERT_EQ(skin.pixelColor(x, 29), line) << x;
    }
    // The strip above the line and the window below it are dark.
    for (int x : {500, 900}) {
        EXPECT_LT(skin.pixelColor(x, 15).lightness(), 90);
        EXPECT_LT(skin.pixelColor(x, 32).lightness(), 60);
    }
}

// The pixel at `radius` from `centre` in screen direction `degrees` (clockwise from +x).
QPoint onRing(QPoint centre, double radius, double degrees)
{
    const double a = degrees * 3.14159265 / 180;
    return centre + QPoint(static_cast<int>(std::lround(radius * std::cos(a))),
                           static_cast<int>(std::lround(radius * std::sin(a))));
}

// Brightest pixel on the tick ring (radius 46 to 53) at screen angle `degrees`.
int tickBrightness(const QImage& picture, QPoint centre, double degrees)
{
    int best = 0;
    for (double r = 46; r <= 53; r += 1) {
        best = std::max(best, picture.pixelColor(onRing(centre, r, degrees)).lightness());
    }
    return best;
}

TEST(Resources, SpeedometerScaleRunsAsTheNeedleTurns)
{
    const QImage skin = load("skin.png");
    const QPoint centre(776, 684);
    // The needle (50 pixels) ends on the tick ring: 130 km/h straight up between the
    // majors of 120 and 140, 0 km/h at 140 degrees (lower left), 260 km/h at 40 degrees
    // (lower right); nothing straight down.
    auto brightAt = [&](double degrees) { return tickBrightness(skin, centre, degrees); };
    EXPECT_GT(brightAt(270), 90) << "130 km/h";
    EXPECT_GT(brightAt(260), 150) << "120 km/h";
    EXPECT_GT(brightAt(280), 150) << "140 km/h";
    EXPECT_GT(brightAt(140), 150) << "0 km/h";
    EXPECT_GT(brightAt(40), 80) << "260 km/h";
    EXPECT_LT(brightAt(90), 60) << "below the dial centre";
    // The speed text's own background colour under it, so the text sits on the face.
    EXPECT_EQ(skin.pixelColor(752, 728), QColor(32, 32, 32));
    EXPECT_EQ(skin.pixelColor(800, 738), QColor(32, 32, 32));
}

// The mph face keeps the needle's turn of one degree per km/h: a mark of v mph sits where
// the needle points for v x 1.609344 km/h. Drawn at (698, 606), it changes nothing of the
// skin but the face.
TEST(Resources, MphSpeedometerSitsOnTheSkinWithMarksWhereTheNeedlePoints)
{
    const QImage skin = load("skin.png").convertToFormat(QImage::Format_RGB32);
    const QImage mph = load("dial-mph.png").convertToFormat(QImage::Format_RGB32);
    const QPoint origin(698, 606);
    const QPoint centre = QPoint(776, 684) - origin;
    ASSERT_EQ(mph.size(), QSize(157, 157));
    for (QPoint corner :
         {QPoint(0, 0), QPoint(156, 0), QPoint(0, 156), QPoint(156, 156), QPoint(78, 0)}) {
        EXPECT_EQ(mph.pixel(corner), skin.pixel(origin + corner))
            << corner.x() << "," << corner.y();
    }
    EXPECT_EQ(mph.pixelColor(752 - 698, 728 - 606), QColor(32, 32, 32)) << "under the speed text";
    auto angleOf = [](double value) { return 140 + value * 1.609344; };
    for (int value : {0, 40, 80, 120, 160}) {
        EXPECT_GT(tickBrightness(mph, centre, angleOf(value)), 150) << value << " mph";
    }
    EXPECT_LT(tickBrightness(mph, centre, angleOf(5)), 90) << "no mark between 0 and 10 mph";
    EXPECT_LT(tickBrightness(mph, centre, 90), 60) << "below the dial centre";
    // Red above 110 mph, not below.
    const QColor at130 = mph.pixelColor(onRing(centre, 50, angleOf(130)));
    const QColor at100 = mph.pixelColor(onRing(centre, 50, angleOf(100)));
    EXPECT_GT(at130.red(), at130.green() + 60) << "130 mph";
    EXPECT_LT(at100.red(), at100.green() + 30) << "100 mph";
}
