// Draws every picture of the player's skin. The pictures are committed; run this after
// changing how they are drawn:
//   skin-painter write <res-dir>     writes them under res/ (skin/, icon/)
//   skin-painter check <res-dir>     fails when a stored picture differs from this drawing
//                                    by more than anti-aliasing on another CPU could
//   skin-painter preview <file.png>  the whole window with every control's picture in place

#include "res/painter/pictures.h"
#include "res/painter/preview.h"
#include "tools/program_args/program_args.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

namespace {

const char kUsage[] =
    "usage: skin-painter write <res-dir>     draws the skin's pictures into res/\n"
    "       skin-painter check <res-dir>     fails when a stored picture differs from its drawing\n"
    "       skin-painter preview <file.png>  the whole window with every control's picture\n";

int writeAll(const QString& directory)
{
    int failures = 0;
    for (const Picture& p : paintAllPictures()) {
        if (!writePicture(p, directory)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(p.path));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

int checkAll(const QString& directory)
{
    int stale = 0;
    for (const Picture& p : paintAllPictures()) {
        const QImage stored(QDir(directory).filePath(p.path));
        const PictureDifference d = comparePictures(stored, asStored(p));
        if (!withinTolerance(d, storedTolerance(p))) {
            std::fprintf(stderr, "%s differs from its drawing: %s\n", qPrintable(p.path),
                         d.sameSize ? qPrintable(QStringLiteral("%1 pixels, by up to %2 levels")
                                                     .arg(d.differing)
                                                     .arg(d.worst))
                                    : "missing or another size");
            ++stale;
        }
    }
    return stale == 0 ? 0 : 1;
}

int preview(const QString& file)
{
    std::vector<Picture> pictures = paintAllPictures();
    for (Picture& p : pictures) {
        p.image = asStored(p);
    }
    return composePreview(pictures).save(file) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Text is drawn from the one font package the project installs, rasterised the same
    // way whatever fonts or font settings this machine and its user have.
    qputenv("FONTCONFIG_FILE", SKIN_FONTS_CONF);
    QGuiApplication app(argc, argv);
    const ProgramArgs args = parseProgramArgs(argc, argv, kUsage, {2, 2});
    if (args.exitStatus) {
        return *args.exitStatus;
    }
    const std::vector<std::string>& operands = args.operands;
    const QString command = QString::fromStdString(operands[0]);
    const QString target = QString::fromLocal8Bit(operands[1].c_str());
    if (command == QLatin1String("write")) {
        return writeAll(target);
    }
    if (command == QLatin1String("check")) {
        return checkAll(target);
    }
    if (command == QLatin1String("preview")) {
        return preview(target);
    }
    std::fprintf(stderr, "%s", kUsage);
    return 2;
}
