#pragma once

#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QImage>

class QFontMetrics;

// Pictures of the header, all 24 pixels high.
struct SkinHeaderImages
{
    QImage rightEdge;  // 4 x 24: right edge of a column, left 2 columns used
    QImage face;       // 2 x 24: vertical gradient, first column used
    QImage leftEdge;   // 4 x 24: left edge of the first column, left 2 columns used

    static SkinHeaderImages load();
};

// Column header of the skinned list, drawn from bitmaps with centred "Arial" titles.
class SkinHeaderView : public QHeaderView
{
public:
    explicit SkinHeaderView(QWidget* parent = nullptr);

    void setImages(const SkinHeaderImages& pictures);
    QSize sizeHint() const override;

    static constexpr int kHeight = 24;
    // A column's title as drawn into a box `width` pixels wide: ends in an ellipsis when
    // it does not fit.
    static QString fittedText(const QString& text, const QFontMetrics& metrics, int width);
    // "Arial" with a cell height of 16 pixels.
    static QFont titleFont();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawSection(QPainter& painter, int logicalIndex) const;

    SkinHeaderImages m_images;
    QColor m_faceLine;  // the face's column squeezed into one row by AND
    QFont m_titleFont;
};
