#include "res/painter/pictures.h"

#include "res/painter/artwork.h"
#include "res/painter/bitmaps.h"
#include "res/painter/skin.h"
#include "res/painter/strips.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

namespace {

constexpr int kJpegQuality = 92;

// A level of difference before compression can tip a quantised coefficient, which spreads
// over its 8 x 8 block: a hundred edge pixels one level apart came out up to 8 levels
// apart after compression, three hundred up to 12.
constexpr PictureTolerance kJpegTolerance{16, 0.01, 4};

void addBitmaps(std::vector<Picture>& out)
{
    out.push_back({skinPath(QStringLiteral("seek-channel.png")), paintChannel(false)});
    out.push_back({skinPath(QStringLiteral("seek-played.png")), paintChannel(true)});
    out.push_back({skinPath(QStringLiteral("seek-thumb.png")), paintThumb(false)});
    out.push_back({skinPath(QStringLiteral("seek-thumb-held.png")), paintThumb(true)});
    out.push_back({skinPath(QStringLiteral("header-right-edge.png")), paintHeaderRightEdge()});
    out.push_back({skinPath(QStringLiteral("header-face.png")), paintHeaderFace()});
    out.push_back({skinPath(QStringLiteral("header-left-edge.png")), paintHeaderLeftEdge()});
    const std::pair<const char*, ScrollPiece> pieces[] = {
        {"hscroll-left.png", ScrollPiece::LeftArrow},
        {"hscroll-right.png", ScrollPiece::RightArrow},
        {"hscroll-channel.png", ScrollPiece::HChannel},
        {"hscroll-thumb.png", ScrollPiece::HThumb},
        {"vscroll-bottom-cap.png", ScrollPiece::BottomCap},
        {"vscroll-down.png", ScrollPiece::DownArrow},
        {"vscroll-channel.png", ScrollPiece::VChannel},
        {"vscroll-thumb.png", ScrollPiece::VThumb},
        {"vscroll-top-cap.png", ScrollPiece::TopCap},
        {"vscroll-up.png", ScrollPiece::UpArrow}};
    for (const auto& [file, piece] : pieces) {
        out.push_back({skinPath(QLatin1String(file)), paintScrollPiece(piece)});
    }
    out.push_back({skinPath(QStringLiteral("volume-lit.png")), paintVolumeBar(true)});
    out.push_back({skinPath(QStringLiteral("volume-unlit.png")), paintVolumeBar(false)});
    out.push_back({skinPath(QStringLiteral("compass-arrow.png")), paintCompassArrow()});
}

QByteArray formatOf(const QString& path)
{
    return QFileInfo(path).suffix().toUpper().toLatin1();
}

}  // namespace

QString skinPath(const QString& file)
{
    return QStringLiteral("skin/") + file;
}

std::vector<Picture> paintAllPictures()
{
    std::vector<Picture> out;
    out.push_back({skinPath(QStringLiteral("skin.png")), paintSkin()});
    out.push_back({skinPath(QStringLiteral("dial-mph.png")), paintMphDial()});
    for (Strip& s : paintStrips()) {
        out.push_back({skinPath(s.file), std::move(s.image)});
    }
    out.push_back({skinPath(QStringLiteral("idle.jpg")), paintIdlePicture()});
    addBitmaps(out);
    out.push_back({QStringLiteral("icon/dashcam-player.png"), paintIcon()});
    return out;
}

QImage findPicture(const std::vector<Picture>& pictures, const QString& path)
{
    for (const Picture& p : pictures) {
        if (p.path == path) {
            return p.image;
        }
    }
    return {};
}

bool writePicture(const Picture& picture, const QString& directory)
{
    const QString file = QDir(directory).filePath(picture.path);
    if (!QDir().mkpath(QFileInfo(file).path())) {
        return false;
    }
    const QByteArray format = formatOf(picture.path);
    return picture.image.save(file, format.constData(), format == "JPG" ? kJpegQuality : -1);
}

QImage asStored(const Picture& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QByteArray format = formatOf(picture.path);
    picture.image.save(&buffer, format.constData(), format == "JPG" ? kJpegQuality : -1);
    return QImage::fromData(bytes, format.constData());
}

PictureTolerance storedTolerance(const Picture& picture)
{
    return formatOf(picture.path) == "JPG" ? kJpegTolerance : PictureTolerance{};
}
