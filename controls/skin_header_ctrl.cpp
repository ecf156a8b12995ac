#include "skin_header_ctrl.h"

#include "blit.h"
#include "mem_dc.h"
#include "skin_palette.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kEdge = 2;
constexpr int kTextMargin = 2;
constexpr int kTitleCellHeight = 16;
constexpr int kMaxTitle = 255;
const QColor kDivider(Qt::black);

// Squeezing a column into one row with the default stretch mode ANDs its pixels.
QColor AndOfFirstColumn(const QImage& image)
{
    QRgb bits = 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y)
        bits &= image.pixel(0, y) & 0xFFFFFF;
    return image.isNull() ? QColor() : QColor::fromRgb(bits);
}

}  // namespace

SkinHeaderImages SkinHeaderImages::Load()
{
    return {LoadBitmap(135), LoadBitmap(136), LoadBitmap(137)};
}

CSkinHeaderCtrl::CSkinHeaderCtrl(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), titleFont(TitleFont())
{
    SetImages(SkinHeaderImages::Load());
}

void CSkinHeaderCtrl::SetImages(const SkinHeaderImages& pictures)
{
    images = pictures;
    faceLine = AndOfFirstColumn(images.face);
    viewport()->update();
}

QSize CSkinHeaderCtrl::sizeHint() const
{
    return {QHeaderView::sizeHint().width(), kHeight};
}

QFont CSkinHeaderCtrl::TitleFont()
{
    // The height asked for is the character cell's, not the em's.
    QFont font(QStringLiteral("Arial"));
    int size = kTitleCellHeight;
    font.setPixelSize(size);
    while (size > 1 && QFontMetrics(font).height() > kTitleCellHeight)
        font.setPixelSize(--size);
    return font;
}

QString CSkinHeaderCtrl::FittedText(const QString& text, const QFontMetrics& metrics, int width)
{
    return metrics.elidedText(text, Qt::ElideRight, std::max(width, 0), Qt::TextSingleLine);
}

void CSkinHeaderCtrl::DrawSection(QPainter& painter, int logicalIndex) const
{
    const QRect r(sectionViewportPosition(logicalIndex), 0, sectionSize(logicalIndex), height());
    if (visualIndex(logicalIndex) == 0) {
        CopyBlock(painter, r.left(), r.top(), kEdge, kHeight, images.leftEdge);
    } else {
        painter.fillRect(QRect(r.left() - 1, r.top(), kEdge, kHeight), kDivider);
        CopyBlock(painter, r.left() + 1, r.top(), 1, kHeight, images.face);
    }
    if (faceLine.isValid())
        painter.fillRect(QRect(r.left() + kEdge, 0, r.width() - 2 * kEdge, 1), faceLine);
    CopyBlock(painter, r.x() + r.width() - kEdge, 0, kEdge, kHeight, images.rightEdge);

    const QString text =
        model() ? model()->headerData(logicalIndex, orientation()).toString().left(kMaxTitle)
                : QString();
    const QRect box = r.adjusted(kTextMargin, kTextMargin, -kTextMargin, -kTextMargin);
    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                     FittedText(text, QFontMetrics(titleFont), box.width()));
}

void CSkinHeaderCtrl::paintEvent(QPaintEvent*)
{
    QPainter screen(viewport());
    const QRect client = viewport()->rect();
    CMemDC memDC(screen, client, false);
    QPainter& painter = memDC.painter();
    painter.fillRect(client, palette::kHeaderGround);
    StretchBlock(painter, QRect(client.left() + kEdge, 0, client.width(), kHeight), images.face,
                 QRect(0, 0, 1, kHeight));
    for (int i = 0; i < count(); ++i) {
        if (!isSectionHidden(i))
            DrawSection(painter, i);
    }
}
