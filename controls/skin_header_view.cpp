#include "controls/skin_header_view.h"

#include "controls/blit.h"
#include "res/resources.h"
#include "skin/skin_palette.h"

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
QColor andOfFirstColumn(const QImage& image)
{
    QRgb bits = 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        bits &= image.pixel(0, y) & 0xFFFFFF;
    }
    return image.isNull() ? QColor() : QColor::fromRgb(bits);
}

}  // namespace

SkinHeaderImages SkinHeaderImages::load()
{
    return {skinPicture(QStringLiteral("header-right-edge.png")),
            skinPicture(QStringLiteral("header-face.png")),
            skinPicture(QStringLiteral("header-left-edge.png"))};
}

SkinHeaderView::SkinHeaderView(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_titleFont(titleFont())
{
    setImages(SkinHeaderImages::load());
}

void SkinHeaderView::setImages(const SkinHeaderImages& pictures)
{
    m_images = pictures;
    m_faceLine = andOfFirstColumn(m_images.face);
    viewport()->update();
}

QSize SkinHeaderView::sizeHint() const
{
    return {QHeaderView::sizeHint().width(), kHeight};
}

QFont SkinHeaderView::titleFont()
{
    // The height asked for is the character cell's, not the em's.
    QFont font(QStringLiteral("Arial"));
    int size = kTitleCellHeight;
    font.setPixelSize(size);
    while (size > 1 && QFontMetrics(font).height() > kTitleCellHeight) {
        font.setPixelSize(--size);
    }
    return font;
}

QString SkinHeaderView::fittedText(const QString& text, const QFontMetrics& metrics, int width)
{
    return metrics.elidedText(text, Qt::ElideRight, std::max(width, 0), Qt::TextSingleLine);
}

void SkinHeaderView::drawSection(QPainter& painter, int logicalIndex) const
{
    const QRect r(sectionViewportPosition(logicalIndex), 0, sectionSize(logicalIndex), height());
    if (visualIndex(logicalIndex) == 0) {
        copyBlock(painter, r.left(), r.top(), kEdge, kHeight, m_images.leftEdge);
    } else {
        painter.fillRect(QRect(r.left() - 1, r.top(), kEdge, kHeight), kDivider);
        copyBlock(painter, r.left() + 1, r.top(), 1, kHeight, m_images.face);
    }
    if (m_faceLine.isValid()) {
        painter.fillRect(QRect(r.left() + kEdge, 0, r.width() - 2 * kEdge, 1), m_faceLine);
    }
    copyBlock(painter, r.x() + r.width() - kEdge, 0, kEdge, kHeight, m_images.rightEdge);

    const QString text =
        model() ? model()->headerData(logicalIndex, orientation()).toString().left(kMaxTitle)
                : QString();
    const QRect box = r.adjusted(kTextMargin, kTextMargin, -kTextMargin, -kTextMargin);
    painter.setFont(m_titleFont);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                     fittedText(text, QFontMetrics(m_titleFont), box.width()));
}

void SkinHeaderView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QRect client = viewport()->rect();
    painter.fillRect(client, palette::kHeaderGround);
    stretchBlock(painter, QRect(client.left() + kEdge, 0, client.width(), kHeight), m_images.face,
                 QRect(0, 0, 1, kHeight));
    for (int i = 0; i < count(); ++i) {
        if (!isSectionHidden(i)) {
            drawSection(painter, i);
        }
    }
}
