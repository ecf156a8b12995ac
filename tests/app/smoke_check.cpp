// Checks the smoke test's screenshots of the player window: before playing, the idle
// picture and the needle at 0 km/h; while playing, video instead of the idle picture, and
// the speed text and the needle moved off 0.
#include <QApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>

#include "dialog_layout.h"
#include "gauges.h"
#include "resource_image.h"

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

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IDLE.png PLAYING.png\n", argv[0]);
        return 2;
    }
    const QImage idle = QImage(argv[1]).convertToFormat(QImage::Format_RGB32);
    const QImage playing = QImage(argv[2]).convertToFormat(QImage::Format_RGB32);
    QImage idlePicture;
    if (idle.size() != skin::kSize || playing.size() != idle.size()) {
        return fail("screenshots are not the 1024 x 768 window");
    }
    if (!loadResourceImage(168, QStringLiteral("JPG"), idlePicture)) {
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
    return 0;
}
