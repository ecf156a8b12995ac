// Checks the smoke test's screenshots of the player window: before playing, the idle
// picture and the needle at 0 km/h; while playing, video instead of the idle picture, and
// the speed text and the needle moved off 0; back from full screen, the controls painted
// and moving on; at other sizes, the skin's corners as they were drawn. Asked with
// "pictures", it reads the frame stamps of a moment's channels off one screenshot.
#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "app/dialog_layout.h"
#include "app/gauges.h"
#include "res/resources.h"
#include "tools/make-sample-recordings/frame_stamp.h"

namespace {

// Mean absolute difference of the grey values of two equally sized pictures.
double meanDifference(const QImage& a, const QImage& b)
{
    const QImage ga = a.convertToFormat(QImage::Format_Grayscale8);
    const QImage gb = b.convertToFormat(QImage::Format_Grayscale8);
    double sum = 0;
    for (int y = 0; y < ga.height(); ++y) {
        for (int x = 0; x < ga.width(); ++x) {
            sum += std::abs(qGray(ga.pixel(x, y)) - qGray(gb.pixel(x, y)));
        }
    }
    return sum / (ga.width() * ga.height());
}

bool isNeedleRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

// Red needle pixels in the dial that do not lie on the 0 km/h needle.
int redOffZeroLine(const QImage& shot)
{
    const QPoint centre = skin::kDialCentre;
    const QPoint zero = gauges::needleEnd(0);
    int count = 0;
    for (int y = centre.y() - 50; y <= centre.y() + 35; ++y) {
        for (int x = centre.x() - 50; x <= centre.x() + 50; ++x) {
            if (!isNeedleRed(shot.pixel(x, y))) {
                continue;
            }
            // Distance from the 0 km/h line.
            const double dx = zero.x() - centre.x();
            const double dy = zero.y() - centre.y();
            const double distance =
                std::abs(dy * (x - centre.x()) - dx * (y - centre.y())) / std::hypot(dx, dy);
            count += distance > 4 ? 1 : 0;
        }
    }
    return count;
}

int fail(const char* what)
{
    std::fprintf(stderr, "smoke check failed: %s\n", what);
    return 1;
}

QImage shot(const QString& dir, const char* name)
{
    return QImage(dir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"))
        .convertToFormat(QImage::Format_RGB32);
}

// The skin under an image button with the button's first frame over it.
QImage buttonOnSkin(const QImage& background, skin::Button button, const char* strip)
{
    const QImage frames = skinPicture(QLatin1String(strip));
    const QRect place = skin::button(button);
    QImage picture = background.copy(place).convertToFormat(QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.drawImage(QPoint(0, 0), frames, QRect(QPoint(0, 0), place.size()));
    return picture;
}

// Back from full screen: the buttons show their pictures (not pieces of the full-screen
// video), and the seek bar and the chart's time text move on while the video plays.
int checkBackFromFullScreen(const QString& dir)
{
    const QImage back = shot(dir, "back");
    const QImage later = shot(dir, "back-later");
    const QImage skinImage = skinPicture(QStringLiteral("skin.png"));
    if (back.size() != skin::kSize || later.size() != skin::kSize || skinImage.isNull()) {
        return fail("no 1024 x 768 screenshots after full screen");
    }
    const std::pair<skin::Button, const char*> buttons[] = {{skin::Button::Stop, "stop.png"},
                                                            {skin::Button::Import, "import.png"},
                                                            {skin::Button::Capture, "capture.png"}};
    for (const auto& [button, strip] : buttons) {
        const double diff =
            meanDifference(back.copy(skin::button(button)), buttonOnSkin(skinImage, button, strip));
        std::printf("after full screen, button picture %s differs by %.1f\n", strip, diff);
        if (diff > 10) {
            return fail("a button is not painted after full screen");
        }
    }
    const QRect chart = controlRect(ctl::kWaveform);
    const QRect timeText(chart.right() - 150, chart.bottom() - 14, 150, 14);
    const double seekMoved = meanDifference(back.copy(controlRect(ctl::kSeekBar)),
                                            later.copy(controlRect(ctl::kSeekBar)));
    const double timeMoved = meanDifference(back.copy(timeText), later.copy(timeText));
    std::printf("after full screen, seek bar moved %.2f, time text %.2f\n", seekMoved, timeMoved);
    if (seekMoved < 0.3 || timeMoved < 0.3) {
        return fail("the seek bar or the time text stands still after full screen");
    }
    return 0;
}

// At every size the skin's corners stay as drawn, against the window at its own size: the
// title and its buttons at the top, the panels' corners at the bottom.
int checkSizes(const QString& dir, const QImage& normal)
{
    const std::pair<const char*, QSize> sizes[] = {
        {"size-large", {1280, 960}}, {"size-small", {1024, 640}}, {"size-maximised", {}}};
    for (const auto& [name, size] : sizes) {
        const QImage sized = shot(dir, name);
        if (sized.isNull() || (size.isValid() && sized.size() != size)) {
            return fail("a screenshot at another size is missing or of the wrong size");
        }
        const int w = sized.width();
        const int h = sized.height();
        const int nw = normal.width();
        const int nh = normal.height();
        const std::pair<QRect, QRect> corners[] = {
            {{0, 0, 180, 29}, {0, 0, 180, 29}},
            {{w - 80, 0, 80, 29}, {nw - 80, 0, 80, 29}},
            {{w - 40, h - 20, 40, 20}, {nw - 40, nh - 20, 40, 20}},
            {{0, h - 8, 60, 8}, {0, nh - 8, 60, 8}}};
        for (const auto& [at, was] : corners) {
            const double diff = meanDifference(sized.copy(at), normal.copy(was));
            std::printf("%s: corner at %d,%d differs by %.1f\n", name, at.x(), at.y(), diff);
            if (diff > 6) {
                return fail("a corner of the skin is not as drawn at another size");
            }
        }
    }
    return 0;
}

// The seek bar moves while the moment plays on after full screen and the swap.
int checkMomentSeekBar(const QString& dir)
{
    const QImage seek = shot(dir, "moment-seek");
    const QImage later = shot(dir, "moment-seek-later");
    if (seek.size() != skin::kSize || later.size() != skin::kSize) {
        return fail("no 1024 x 768 screenshots of the moment playing");
    }
    const double moved = meanDifference(seek.copy(controlRect(ctl::kSeekBar)),
                                        later.copy(controlRect(ctl::kSeekBar)));
    std::printf("moment: seek bar moved %.2f\n", moved);
    return moved < 0.3 ? fail("the seek bar stands still while the moment plays") : 0;
}

// The sample recordings' picture size: the stamp's cells lie in it.
constexpr QSize kSampleSize{640, 360};
constexpr int kCellWidth = kSampleSize.width() / frame_stamp::kCells;

// Where a sample picture lies in `area`: as large as fits, centred.
QRect fitted(const QRect& area)
{
    const QSize size = kSampleSize.scaled(area.size(), Qt::KeepAspectRatio);
    return {area.center() - QPoint(size.width() / 2, size.height() / 2), size};
}

// A stamp read off a screenshot, and how clear its cells were (the smallest distance of a
// cell's mean grey from the middle grey).
struct Reading
{
    std::optional<frame_stamp::Stamp> stamp;
    int clarity = 0;
};

// Reads the stamp of a picture shown at `picture`, of which only the first `cells` cells
// can be seen (the rest hidden by insets: they read as black).
Reading readPicture(const QImage& grey, const QRect& picture, int cells)
{
    const auto brightness = [&](int x, int y) {
        const int shotX = picture.x() + x * picture.width() / kSampleSize.width();
        const int shotY = picture.y() + y * picture.height() / kSampleSize.height();
        if (x / kCellWidth >= cells || !grey.rect().contains(shotX, shotY)) {
            return 0;
        }
        return static_cast<int>(grey.constScanLine(shotY)[shotX]);
    };
    Reading reading{std::nullopt, 255};
    for (int i = 0; i < cells; ++i) {
        const frame_stamp::Cell cell =
            frame_stamp::cellAt(i, kSampleSize.width(), kSampleSize.height());
        int sum = 0;
        for (int row = 1; row <= 3; ++row) {
            for (int column = 1; column <= 3; ++column) {
                sum += brightness(cell.x + cell.size * (column + 1) / 8,
                                  cell.y + cell.size * (row + 1) / 8);
            }
        }
        reading.clarity = std::min(reading.clarity, std::abs(sum / 9 - 128));
    }
    reading.stamp = frame_stamp::readStamp(kSampleSize.width(), kSampleSize.height(), brightness);
    return reading;
}

// The clearest stamp of a picture near `guess` (its left, bottom and width a few pixels
// off), nearest the guess among equals.
Reading findPicture(const QImage& grey, const QRect& guess, int slack, int cells)
{
    Reading best;
    int bestOff = 0;
    for (int dw = -slack; dw <= slack; ++dw) {
        const int width = guess.width() + dw;
        const int height = width * kSampleSize.height() / kSampleSize.width();
        for (int dx = -slack; dx <= slack; ++dx) {
            for (int dy = -slack; dy <= slack; ++dy) {
                const QRect picture(guess.x() + dx, guess.bottom() + 1 + dy - height, width,
                                    height);
                const Reading reading = readPicture(grey, picture, cells);
                const int off = std::abs(dw) + std::abs(dx) + std::abs(dy);
                if (reading.stamp && (reading.clarity > best.clarity ||
                                      (reading.clarity == best.clarity && off < bestOff))) {
                    best = reading;
                    bestOff = off;
                }
            }
        }
    }
    return best;
}

// A place of an arrangement: where its picture should lie, and how many of its stamp's
// cells show.
struct Place
{
    QRect picture;
    int slack;
    int cells;
};

// Side by side: equal columns, each picture fitted into its own.
std::vector<Place> sideBySide(const QRect& area, int count)
{
    std::vector<Place> places;
    for (int i = 0; i < count; ++i) {
        const int left = area.x() + area.width() * i / count;
        const int right = area.x() + area.width() * (i + 1) / count;
        places.push_back(
            {fitted(QRect(left, area.y(), right - left, area.height())), 4, frame_stamp::kCells});
    }
    return places;
}

// The main picture fitted into the area with the others as insets along its bottom edge
// from the right corner, each 30 % of its width (the default layout). The main picture's
// stamp shows up to the first inset: its marks and channel, not all of its frame number.
std::vector<Place> pictureInPicture(const QRect& area, int count)
{
    const QRect main = fitted(area);
    constexpr int kGap = 8;  // the insets' margin, give or take the slack
    const int width = main.width() * 30 / 100;
    const int height = width * kSampleSize.height() / kSampleSize.width();
    std::vector<Place> places = {{main, 3, frame_stamp::kCells}};
    int firstInsetLeft = main.right() + 1;
    for (int i = 1; i < count; ++i) {
        const int right = main.right() + 1 - i * (kGap + width) + width;
        firstInsetLeft = right - width;
        places.push_back({QRect(right - width, main.bottom() + 1 - kGap - height, width, height), 8,
                          frame_stamp::kCells});
    }
    const int mainCell = main.width() * kCellWidth / kSampleSize.width();
    places.front().cells =
        std::min(frame_stamp::kCells, (firstInsetLeft - main.x()) / std::max(1, mainCell) - 1);
    return places;
}

// pictures SHOT pip|side COUNT: the stamps of the moment's pictures in the video area of a
// window screenshot (any other size: a full-screen one, all of it video), one
// "CHANNEL:FRAME" a place, the main picture first ("-" for a frame number partly hidden).
// Exit status 1 when a place shows no stamp.
int readPictures(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s pictures SHOT pip|side COUNT\n", argv[0]);
        return 2;
    }
    const QImage grey =
        QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_Grayscale8);
    if (grey.isNull()) {
        return fail("no screenshot to read");
    }
    const QRect area = grey.size() == skin::kSize ? controlRect(ctl::kVideo) : grey.rect();
    const int count = std::atoi(argv[4]);
    const std::vector<Place> places =
        std::strcmp(argv[3], "pip") == 0 ? pictureInPicture(area, count) : sideBySide(area, count);
    int status = 0;
    for (const Place& place : places) {
        const Reading reading = findPicture(grey, place.picture, place.slack, place.cells);
        if (!reading.stamp || reading.clarity < 50) {
            std::printf(" ?");
            status = 1;
        } else if (place.cells < frame_stamp::kCells) {
            std::printf(" %d:-", reading.stamp->channel);
        } else {
            std::printf(" %d:%d", reading.stamp->channel, reading.stamp->frame);
        }
    }
    std::printf("\n");
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "pictures") == 0) {
        return readPictures(argc, argv);
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SCREENSHOT-FOLDER\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QImage idle = shot(dir, "idle");
    const QImage playing = shot(dir, "playing");
    const QImage idlePicture = skinPicture(QStringLiteral("idle.jpg"));
    if (idle.size() != skin::kSize || playing.size() != idle.size()) {
        return fail("screenshots are not the 1024 x 768 window");
    }
    if (idlePicture.isNull()) {
        return fail("no idle picture resource");
    }
    const QRect video = controlRect(ctl::kVideo);
    const QRect shown(video.topLeft(), idlePicture.size().boundedTo(video.size()));
    const QImage reference = idlePicture.copy(QRect(QPoint(0, 0), shown.size()));
    const double idleDiff = meanDifference(idle.copy(shown), reference);
    const double playDiff = meanDifference(playing.copy(shown), reference);
    const QRect speed = controlRect(ctl::kSpeedText);
    const double speedDiff = meanDifference(idle.copy(speed), playing.copy(speed));
    std::printf("idle picture difference: idle %.1f, playing %.1f; speed text difference %.1f; "
                "needle pixels off the 0 line: idle %d, playing %d\n",
                idleDiff, playDiff, speedDiff, redOffZeroLine(idle), redOffZeroLine(playing));
    if (idleDiff > 12) {
        return fail("the idle picture is not shown before playing");
    }
    if (playDiff < 25) {
        return fail("the video area still shows the idle picture");
    }
    if (speedDiff < 1) {
        return fail("the speed text did not change");
    }
    if (redOffZeroLine(idle) != 0 || redOffZeroLine(playing) < 10) {
        return fail("the needle did not move off 0 km/h");
    }
    return checkBackFromFullScreen(dir) + checkSizes(dir, playing) + checkMomentSeekBar(dir);
}
