#include "tests/controls/list_fixture.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPaintEngine>

#include <algorithm>

#include <cstdlib>

namespace {

const QColor kGround(224, 234, 244);
const QColor kSelectedText(229, 229, 229);
const QColor kSelectedBack(115, 123, 165);

// Counts the pixels of a block within `levels` of a colour in every channel.
int countColour(const QImage& image, const QRect& block, QColor colour, int levels = 0)
{
    int n = 0;
    for (int y = block.top(); y <= block.bottom(); ++y) {
        for (int x = block.left(); x <= block.right(); ++x) {
            const QColor c = pixelOf(image, x, y);
            n += std::abs(c.red() - colour.red()) <= levels &&
                 std::abs(c.green() - colour.green()) <= levels &&
                 std::abs(c.blue() - colour.blue()) <= levels;
        }
    }
    return n;
}

// The texts a painter hands to its engine, as they are drawn (after any shortening).
class TextRecorder : public QPaintDevice
{
public:
    explicit TextRecorder(QSize size) : m_size(size) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    const QStringList& texts() const { return m_engine.texts; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        default: return 96;  // dots per inch, logical and physical
        }
    }

private:
    struct Engine : QPaintEngine
    {
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
        Type type() const override { return User; }
        QStringList texts;
    };
    mutable Engine m_engine;
    QSize m_size;
};

class PlaylistViewTest : public ListFixture
{
protected:
    void SetUp() override { build(5); }

    // Row `row` of the list as painted, in list coordinates.
    QRect rowBlock(int row) const
    {
        const QRect cell = list->visualRect(list->model()->index(row, 1));
        return QRect(0, cell.top(), 200, cell.height())
            .translated(list->viewport()->mapTo(list, QPoint(0, 0)));
    }

    void checkSelectedRow()
    {
        const QImage shot = onScreen(list);
        const QRect selected = rowBlock(1);
        const QRect plain = rowBlock(2);
        // The bar's own colour fills the row; the text is the light colour on it (near it
        // where the font's anti-aliasing leaves no pixel fully covered).
        EXPECT_EQ(pixelOf(shot, 190, selected.center().y()), kSelectedBack);
        EXPECT_GT(countColour(shot, selected, kSelectedText, 40), 10);
        EXPECT_EQ(pixelOf(shot, 190, plain.center().y()), kGround);
        EXPECT_EQ(countColour(shot, plain, kSelectedText), 0);
        EXPECT_EQ(countColour(shot, plain, kSelectedBack), 0);
        EXPECT_EQ(list->selectedRow(), 1) << "painting keeps the selection";
    }
};

TEST_F(PlaylistViewTest, SelectedRowColoursWithFocus)
{
    list->setFocus();
    list->selectExistingRow(1);
    ASSERT_TRUE(list->hasFocus());
    checkSelectedRow();
}

TEST_F(PlaylistViewTest, SelectedRowColoursWithoutFocus)
{
    list->selectExistingRow(1);
    auto* other = new QLineEdit(&window);
    other->move(250, 350);
    other->show();
    other->setFocus();
    ASSERT_FALSE(list->hasFocus());
    checkSelectedRow();
}

TEST_F(PlaylistViewTest, GroundUnderAndBelowTheRowsIsTheOneSet)
{
    EXPECT_EQ(pixelOf(onScreen(list), 100, 280), kGround);
    const QColor other(30, 60, 90);
    list->setGroundColour(other);
    const QImage shot = onScreen(list);
    EXPECT_EQ(pixelOf(shot, 100, 280), other);
    EXPECT_EQ(pixelOf(shot, 190, rowBlock(2).center().y()), other);
}

// The list follows its model's rows, texts, group marks and resets, and keeps its column
// widths through a reset.
TEST_F(PlaylistViewTest, FollowsItsModel)
{
    EXPECT_EQ(list->model()->rowCount(), 5);
    rows.item(4, 1)->setText(QStringLiteral("RENAMED.MOV"));
    EXPECT_EQ(list->model()->index(4, 1).data().toString(), QStringLiteral("RENAMED.MOV"));
    list->selectExistingRow(9);  // past the end: nothing selected
    EXPECT_EQ(list->selectedRow(), -1);
    list->selectExistingRow(2);
    rows.removeRow(0);
    EXPECT_EQ(list->selectedRow(), 1) << "the selection moves with its row";
    rows.appendRow(
        listRow(QStringLiteral("6"), QString::fromUtf8("\xe8\xb7\xaf.MOV"), QStringLiteral("t")));
    EXPECT_EQ(list->model()->index(4, 1).data().toString(), QStringLiteral(u"\u8def.MOV"));

    EXPECT_FALSE(list->isGroupStart(3));
    rows.item(3, 0)->setData(true, PlaylistView::kDefaultGroupStartRole);
    EXPECT_TRUE(list->isGroupStart(3));
    list->setGroupStartRole(Qt::UserRole + 7);
    EXPECT_FALSE(list->isGroupStart(3)) << "read through the role it is given";
    EXPECT_FALSE(list->isGroupStart(99));

    rows.clear();  // a reset
    fillListModel(rows, 2);
    EXPECT_EQ(list->selectedRow(), -1);
    EXPECT_EQ(list->columnWidth(0), 32);
    EXPECT_EQ(list->columnWidth(2), 130);
}

TEST_F(PlaylistViewTest, AFilterRoleShowsOnlyItsRowsAsTheModelChanges)
{
    constexpr int kMarked = Qt::UserRole + 9;
    rows.item(1, 0)->setData(true, kMarked);
    rows.item(3, 0)->setData(true, kMarked);
    list->setFilterRole(kMarked);
    const auto shown = [this] {
        QList<int> visible;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            if (!list->isRowHidden(row)) {
                visible << row;
            }
        }
        return visible;
    };
    EXPECT_EQ(shown(), (QList<int>{1, 3}));
    rows.item(4, 0)->setData(true, kMarked);  // a row that becomes marked
    rows.item(1, 0)->setData(false, kMarked);
    EXPECT_EQ(shown(), (QList<int>{3, 4}));
    rows.insertRow(0, listRow(QStringLiteral("0"), QStringLiteral("NEW.MOV"), QStringLiteral("t")));
    EXPECT_EQ(shown(), (QList<int>{4, 5}));
    rows.clear();  // a reset
    fillListModel(rows, 2);
    EXPECT_TRUE(shown().isEmpty());
    list->setFilterRole(0);
    EXPECT_EQ(shown(), (QList<int>{0, 1}));
}

// A name too long for its column keeps its start and its end (a camera's channel letter
// and the extension), shortened in the middle.
TEST_F(PlaylistViewTest, ALongNameIsShortenedInTheMiddle)
{
    const QString name = QStringLiteral("2024_0611_081500_") + QString(60, QLatin1Char('0')) +
                         QStringLiteral("_F.MP4");
    rows.item(1, 1)->setText(name);
    TextRecorder recorder(list->size());
    list->render(&recorder);
    const auto drawn = std::find_if(recorder.texts().begin(), recorder.texts().end(),
                                    [](const QString& text) { return text.startsWith("2024_"); });
    ASSERT_NE(drawn, recorder.texts().end()) << recorder.texts().join(' ').toStdString();
    EXPECT_TRUE(drawn->endsWith(QStringLiteral("_F.MP4"))) << drawn->toStdString();
    EXPECT_TRUE(drawn->contains(QChar(0x2026))) << drawn->toStdString();
    EXPECT_LT(drawn->size(), name.size());
}

// A group's first row carries a slate rule above it; a plain row has none.
TEST_F(PlaylistViewTest, GroupStartDrawsARule)
{
    for (int column = 0; column < 3; ++column) {
        rows.item(3, column)->setData(true, PlaylistView::kDefaultGroupStartRole);
    }
    const QImage shot = onScreen(list);
    for (const int x : {5, 100, 190}) {
        EXPECT_EQ(pixelOf(shot, x, rowBlock(3).top()), kSelectedBack) << x;
        EXPECT_NE(pixelOf(shot, x, rowBlock(2).top()), kSelectedBack) << x;
    }
}

TEST_F(PlaylistViewTest, HeaderDrawnFromItsPictures)
{
    const QColor right(5, 5, 150);
    const QColor left(6, 150, 6);
    QImage face(2, 24, QImage::Format_RGB32);
    for (int y = 0; y < 24; ++y) {
        face.setPixel(0, y, qRgb(0xF0 - y, 0xF0 - y, 0xFF - y));
    }
    SkinHeaderView* header = list->header();
    header->setImages({solidImage(4, 24, right), face, solidImage(4, 24, left)});
    QCoreApplication::processEvents();
    EXPECT_EQ(header->height(), 24);
    const QImage shot = onScreen(header);
    EXPECT_EQ(pixelOf(shot, 0, 12), left);        // first column's left edge
    EXPECT_EQ(pixelOf(shot, 30, 12), right);      // its right edge at 32 - 2
    EXPECT_EQ(pixelOf(shot, 31, 12), Qt::black);  // divider before the second column
    EXPECT_EQ(pixelOf(shot, 33, 12), QColor(face.pixel(0, 12)));
    // Row 0 inside a column: the face's column squeezed by AND.
    QRgb squeezed = 0xFFFFFF;
    for (int y = 0; y < 24; ++y) {
        squeezed &= face.pixel(0, y) & 0xFFFFFF;
    }
    EXPECT_EQ(pixelOf(shot, 80, 0), QColor::fromRgb(squeezed));
    EXPECT_EQ(pixelOf(shot, 80, 23), QColor(face.pixel(0, 23)));
}

TEST_F(PlaylistViewTest, HeaderTitleEndsInAnEllipsisWhenTooLong)
{
    const QFontMetrics metrics(SkinHeaderView::titleFont());
    const QString title = QStringLiteral("Recording time and date");
    EXPECT_EQ(SkinHeaderView::fittedText(title, metrics, 1000), title);
    const QString fitted = SkinHeaderView::fittedText(title, metrics, 60);
    EXPECT_TRUE(fitted.endsWith(QChar(0x2026))) << fitted.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(fitted), 60);
    EXPECT_LE(metrics.height(), 16);

    // Drawn: no title pixel spills out of the 32-pixel column's text box.
    list->model()->setHeaderData(0, Qt::Horizontal, title);
    SkinHeaderView* header = list->header();
    header->setImages(
        {solidImage(4, 24, Qt::white), solidImage(2, 24, Qt::white), solidImage(4, 24, Qt::white)});
    QCoreApplication::processEvents();
    const QImage shot = onScreen(header);
    int inside = 0;
    for (int y = 2; y < 22; ++y) {
        for (int x = 0; x < 29; ++x) {
            inside += pixelOf(shot, x, y) != Qt::white;
        }
        EXPECT_EQ(pixelOf(shot, 29, y), Qt::white) << y;
    }
    EXPECT_GT(inside, 0);
}

TEST(SkinListStandaloneTest, ListWithoutParentHasItsBars)
{
    QStandardItemModel rows;
    PlaylistView list;
    EXPECT_NE(list.verticalBar(), nullptr);
    EXPECT_NE(list.horizontalBar(), nullptr);
    EXPECT_EQ(list.selectedRow(), -1) << "no model yet";
    fillListModel(rows, 1);
    list.setModel(&rows);
    list.resize(100, 100);
    list.grab();
}

}  // namespace
