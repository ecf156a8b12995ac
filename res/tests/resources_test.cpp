// The skin's pictures as the program finds them: ids, sizes, file formats and the few
// pixels other parts of the program rely on.

#include "resources.h"

#include <QFile>
#include <QImage>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct Expected
{
    const char* type;
    int id;
    int width, height;
};

const Expected kPictures[] = {
    {"PNG", 150, 1024, 768},
    // Button strips: four frames side by side.
    {"PNG", 149, 208, 51},
    {"PNG", 151, 208, 51},
    {"PNG", 152, 208, 51},
    {"PNG", 153, 208, 51},
    {"PNG", 154, 208, 51},
    {"PNG", 155, 208, 51},
    {"PNG", 158, 208, 51},
    {"PNG", 161, 208, 51},
    {"PNG", 167, 208, 51},
    {"PNG", 162, 260, 29},
    {"PNG", 164, 260, 29},
    {"PNG", 163, 116, 21},
    {"PNG", 165, 116, 21},
    {"PNG", 159, 92, 23},
    {"PNG", 160, 92, 23},
    {"JPG", 168, 510, 360},
    // The speedometer in mph, over the skin's km/h face.
    {"PNG", 170, 157, 157},
    // Seek bar.
    {"BITMAP", 129, 675, 9},
    {"BITMAP", 130, 675, 9},
    {"BITMAP", 131, 18, 18},
    {"BITMAP", 132, 18, 18},
    // List header.
    {"BITMAP", 135, 4, 24},
    {"BITMAP", 136, 2, 24},
    {"BITMAP", 137, 4, 24},
    // Scroll bars.
    {"BITMAP", 138, 26, 12},
    {"BITMAP", 139, 26, 12},
    {"BITMAP", 140, 1, 12},
    {"BITMAP", 141, 26, 12},
    {"BITMAP", 143, 11, 11},
    {"BITMAP", 144, 12, 26},
    {"BITMAP", 145, 12, 1},
    {"BITMAP", 146, 12, 26},
    {"BITMAP", 147, 12, 11},
    {"BITMAP", 148, 12, 26},
    // Volume bars, compass arrow, icon.
    {"BITMAP", 156, 4, 20},
    {"BITMAP", 157, 4, 20},
    {"BITMAP", 169, 20, 72},
    {"ICON", 128, 256, 256},
};

const QColor kKey(255, 0, 255);

QByteArray bytesOf(const char* type, int id)
{
    QFile f(skinResourcePath(type, id));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage load(const char* type, int id)
{
    return QImage(skinResourcePath(type, id));
}

// The file's own signature, not the extension, decides the format the loaders see.
void expectFormat(const char* type, const QByteArray& bytes)
{
    const std::string t(type);
    if (t == "PNG" || t == "ICON") {
        EXPECT_TRUE(bytes.startsWith("\x89PNG\r\n\x1a\n"));
    } else if (t == "JPG") {
        EXPECT_TRUE(bytes.startsWith("\xff\xd8\xff"));
    } else {
        ASSERT_GE(bytes.size(), 30);
        EXPECT_TRUE(bytes.startsWith("BM"));
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 28), 24) << "bits per pixel";
    }
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
        SCOPED_TRACE(skinResourcePath(e.type, e.id).toStdString());
        const QByteArray bytes = bytesOf(e.type, e.id);
        ASSERT_FALSE(bytes.isEmpty());
        expectFormat(e.type, bytes);
        const QImage image = QImage::fromData(bytes);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(e.width, e.height));
    }
}

TEST(Resources, StripsHaveAlphaAndFourDistinctFrames)
{
    for (const Expected& e : kPictures) {
        if (std::string(e.type) != "PNG" || e.id == 150 || e.id == 170) {
            continue;
        }
        SCOPED_TRACE(e.id);
        const QImage strip = load(e.type, e.id).convertToFormat(QImage::Format_ARGB32);
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

TEST(Resources, CompassArrowStandsOnThePureColourKey)
{
    const QImage arrow = load("BITMAP", 169);
    ASSERT_EQ(arrow.size(), QSize(20, 72));
    for (QPoint corner : {QPoint(0, 0), QPoint(19, 0), QPoint(0, 71), QPoint(19, 71)}) {
        EXPECT_EQ(arrow.pixelColor(corner), kKey);
    }
    int keyed = 0;
    for (int y = 0; y < arrow.height(); ++y) {
        for (int x = 0; x < arrow.width(); ++x) {
            const QColor c = arrow.pixelColor(x, y);
            if (c == kKey) {
                ++keyed;
                continue;
            }
            // A blend towards the key would show as a pink fringe once the key is dropped.
            EXPECT_FALSE(c.red() > 180 && c.green() < 90 && c.blue() > 180) << x << "," << y;
        }
    }
    EXPECT_GT(keyed, 20 * 72 / 3);
    // The arrow itself runs the full height along the middle column.
    for (int y = 4; y < 68; ++y) {
        EXPECT_NE(arrow.pixelColor(10, y), kKey) << y;
    }
    // Its north half is red, the south half is not.
    EXPECT_GT(arrow.pixelColor(10, 18).red(), arrow.pixelColor(10, 18).green() + 80);
    EXPECT_LT(std::abs(arrow.pixelColor(10, 54).red() - arrow.pixelColor(10, 54).green()), 40);
}

TEST(Resources, SeekBarThumbsAreKeyedAndShowInTheVisibleRows)
{
    for (int id : {131, 132}) {
        SCOPED_TRACE(id);
        const QImage thumb = load("BITMAP", id);
        // The key is sampled from (0, 0).
        EXPECT_EQ(thumb.pixelColor(0, 0), kKey);
        // Only rows 5..13 are on screen (the thumb hangs 5 rows above the 9-row bar).
        for (int y = 5; y <= 13; ++y) {
            EXPECT_NE(thumb.pixelColor(9, y), kKey) << y;
        }
        EXPECT_EQ(thumb.pixelColor(9, 2), kKey);
        EXPECT_EQ(thumb.pixelColor(9, 16), kKey);
    }
    // Played and unplayed channel differ everywhere along the groove.
    const QImage normal = load("BITMAP", 129), active = load("BITMAP", 130);
    for (int x = 4; x < 671; x += 50) {
        EXPECT_NE(normal.pixelColor(x, 4), active.pixelColor(x, 4)) << x;
    }
}

TEST(Resources, SkinHasItsTitleStripAndLine)
{
    const QImage skin = load("PNG", 150);
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
    const QImage skin = load("PNG", 150);
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
    const QImage skin = load("PNG", 150).convertToFormat(QImage::Format_RGB32);
    const QImage mph = load("PNG", 170).convertToFormat(QImage::Format_RGB32);
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
