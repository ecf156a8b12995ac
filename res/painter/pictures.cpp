#include "pictures.h"

#include "artwork.h"
#include "bitmaps.h"
#include "skin.h"
#include "strips.h"

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
    out.push_back({bitmapPath(129), paintChannel(false)});
    out.push_back({bitmapPath(130), paintChannel(true)});
    out.push_back({bitmapPath(131), paintThumb(false)});
    out.push_back({bitmapPath(132), paintThumb(true)});
    out.push_back({bitmapPath(135), paintHeaderRightEdge()});
    out.push_back({bitmapPath(136), paintHeaderFace()});
    out.push_back({bitmapPath(137), paintHeaderLeftEdge()});
    const std::pair<int, ScrollPiece> pieces[] = {
        {138, ScrollPiece::LeftArrow}, {139, ScrollPiece::RightArrow},
        {140, ScrollPiece::HChannel},  {141, ScrollPiece::HThumb},
        {143, ScrollPiece::BottomCap}, {144, ScrollPiece::DownArrow},
        {145, ScrollPiece::VChannel},  {146, ScrollPiece::VThumb},
        {147, ScrollPiece::TopCap},    {148, ScrollPiece::UpArrow}};
    for (const auto& [id, piece] : pieces) {
        out.push_back({bitmapPath(id), paintScrollPiece(piece)});
    }
    out.push_back({bitmapPath(156), paintVolumeBar(true)});
    out.push_back({bitmapPath(157), paintVolumeBar(false)});
    out.push_back({bitmapPath(169), paintCompassArrow()});
}

QByteArray formatOf(const QString& path)
{
    return QFileInfo(path).suffix().toUpper().toLatin1();
}

}  // namespace

QString pngPath(int id)
{
    return QStringLiteral("PNG/%1.png").arg(id);
}

QString bitmapPath(int id)
{
    return QStringLiteral("BITMAP/%1.bmp").arg(id);
}

std::vector<Picture> paintAllPictures()
{
    std::vector<Picture> out;
    out.push_back({pngPath(150), paintSkin()});
    out.push_back({pngPath(170), paintMphDial()});
    for (Strip& s : paintStrips()) {
        out.push_back({pngPath(s.id), std::move(s.image)});
    }
    out.push_back({QStringLiteral("JPG/168.jpg"), paintIdlePicture()});
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
