#include "list_fixture.h"

#include <QFontMetrics>
#include <QLineEdit>

#include <cstdlib>

namespace {

const QColor kGround(224, 234, 244);
const QColor kSelectedText(229, 229, 229);
const QColor kSelectedBack(115, 123, 165);

// Counts the pixels of a block within `levels` of a colour in every channel.
int CountColour(const QImage& image, const QRect& block, QColor colour, int levels = 0)
{
    int n = 0;
    for (int y = block.top(); y <= block.bottom(); ++y)
        for (int x = block.left(); x <= block.right(); ++x) {
            const QColor c = PixelOf(image, x, y);
            n += std::abs(c.red() - colour.red()) <= levels && std::abs(c.green() - colour.green()) <= levels &&
                 std::abs(c.blue() - colour.blue()) <= levels;
        }
    return n;
}

class SkinListTest : public ListFixture {
protected:
    void SetUp() override { Build(5); }

    // Row `row` of the list as painted, in list coordinates.
    QRect RowBlock(int row) const
    {
        const QRect cell = list->visualRect(list->model()->index(row, 1));
        return QRect(0, cell.top(), 200, cell.height())
            .translated(list->viewport()->mapTo(list, QPoint(0, 0)));
    }

    void CheckSelectedRow()
    {
        const QImage shot = OnScreen(list);
        const QRect selected = RowBlock(1);
        const QRect plain = RowBlock(2);
        // The bar's own colour fills the row; the text is the light colour on it (near it
        // where the font's anti-aliasing leaves no pixel fully covered).
        EXPECT_EQ(PixelOf(shot, 190, selected.center().y()), kSelectedBack);
        EXPECT_GT(CountColour(shot, selected, kSelectedText, 40), 10);
        EXPECT_EQ(PixelOf(shot, 190, plain.center().y()), kGround);
        EXPECT_EQ(CountColour(shot, plain, kSelectedText), 0);
        EXPECT_EQ(CountColour(shot, plain, kSelectedBack), 0);
        EXPECT_EQ(list->GetSelectedRow(), 1) << "painting keeps the selection";
    }
};

TEST_F(SkinListTest, SelectedRowColoursWithFocus)
{
    list->setFocus();
    list->SelectRow(1);
    ASSERT_TRUE(list->hasFocus());
    CheckSelectedRow();
}

TEST_F(SkinListTest, SelectedRowColoursWithoutFocus)
{
    list->SelectRow(1);
    auto* other = new QLineEdit(&window);
    other->move(250, 350);
    other->show();
    other->setFocus();
    ASSERT_FALSE(list->hasFocus());
    CheckSelectedRow();
}

TEST_F(SkinListTest, GroundBelowTheRows)
{
    const QImage shot = OnScreen(list);
    EXPECT_EQ(PixelOf(shot, 100, 280), kGround);
}

// The list follows its model's rows, texts, group marks and resets, and keeps its column
// widths through a reset.
TEST_F(SkinListTest, FollowsItsModel)
{
    EXPECT_EQ(list->model()->rowCount(), 5);
    rows.item(4, 1)->setText(QStringLiteral("RENAMED.MOV"));
    EXPECT_EQ(list->model()->index(4, 1).data().toString(), QStringLiteral("RENAMED.MOV"));
    list->SelectRow(9);  // past the end: nothing selected
    EXPECT_EQ(list->GetSelectedRow(), -1);
    list->SelectRow(2);
    rows.removeRow(0);
    EXPECT_EQ(list->GetSelectedRow(), 1) << "the selection moves with its row";
    rows.appendRow(ListRow(QStringLiteral("6"), QString::fromUtf8("\xe8\xb7\xaf.MOV"), QStringLiteral("t")));
    EXPECT_EQ(list->model()->index(4, 1).data().toString(), QStringLiteral(u"\u8def.MOV"));

    EXPECT_FALSE(list->IsGroupStart(3));
    rows.item(3, 0)->setData(true, CSkinListCtrl::kDefaultGroupStartRole);
    EXPECT_TRUE(list->IsGroupStart(3));
    list->setGroupStartRole(Qt::UserRole + 7);
    EXPECT_FALSE(list->IsGroupStart(3)) << "read through the role it is given";
    EXPECT_FALSE(list->IsGroupStart(99));

    rows.clear();  // a reset
    FillListModel(rows, 2);
    EXPECT_EQ(list->GetSelectedRow(), -1);
    EXPECT_EQ(list->columnWidth(0), 32);
    EXPECT_EQ(list->columnWidth(2), 130);
}

// A group's first row carries a slate rule above it; a plain row has none.
TEST_F(SkinListTest, GroupStartDrawsARule)
{
    for (int column = 0; column < 3; ++column)
        rows.item(3, column)->setData(true, CSkinListCtrl::kDefaultGroupStartRole);
    const QImage shot = OnScreen(list);
    for (const int x : {5, 100, 190}) {
        EXPECT_EQ(PixelOf(shot, x, RowBlock(3).top()), kSelectedBack) << x;
        EXPECT_NE(PixelOf(shot, x, RowBlock(2).top()), kSelectedBack) << x;
    }
}

TEST_F(SkinListTest, HeaderDrawnFromItsPictures)
{
    const QColor right(5, 5, 150);
    const QColor left(6, 150, 6);
    QImage face(2, 24, QImage::Format_RGB32);
    for (int y = 0; y < 24; ++y)
        face.setPixel(0, y, qRgb(0xF0 - y, 0xF0 - y, 0xFF - y));
    CSkinHeaderCtrl* header = list->Header();
    header->SetImages({SolidImage(4, 24, right), face, SolidImage(4, 24, left)});
    QCoreApplication::processEvents();
    EXPECT_EQ(header->height(), 24);
    const QImage shot = OnScreen(header);
    EXPECT_EQ(PixelOf(shot, 0, 12), left);          // first column's left edge
    EXPECT_EQ(PixelOf(shot, 30, 12), right);        // its right edge at 32 - 2
    EXPECT_EQ(PixelOf(shot, 31, 12), Qt::black);    // divider before the second column
    EXPECT_EQ(PixelOf(shot, 33, 12), QColor(face.pixel(0, 12)));
    // Row 0 inside a column: the face's column squeezed by AND.
    QRgb squeezed = 0xFFFFFF;
    for (int y = 0; y < 24; ++y)
        squeezed &= face.pixel(0, y) & 0xFFFFFF;
    EXPECT_EQ(PixelOf(shot, 80, 0), QColor::fromRgb(squeezed));
    EXPECT_EQ(PixelOf(shot, 80, 23), QColor(face.pixel(0, 23)));
}

TEST_F(SkinListTest, HeaderTitleEndsInAnEllipsisWhenTooLong)
{
    const QFontMetrics metrics(CSkinHeaderCtrl::TitleFont());
    const QString title = QStringLiteral("Recording time and date");
    EXPECT_EQ(CSkinHeaderCtrl::FittedText(title, metrics, 1000), title);
    const QString fitted = CSkinHeaderCtrl::FittedText(title, metrics, 60);
    EXPECT_TRUE(fitted.endsWith(QChar(0x2026))) << fitted.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(fitted), 60);
    EXPECT_LE(metrics.height(), 16);

    // Drawn: no title pixel spills out of the 32-pixel column's text box.
    list->model()->setHeaderData(0, Qt::Horizontal, title);
    CSkinHeaderCtrl* header = list->Header();
    header->SetImages({SolidImage(4, 24, Qt::white), SolidImage(2, 24, Qt::white),
                       SolidImage(4, 24, Qt::white)});
    QCoreApplication::processEvents();
    const QImage shot = OnScreen(header);
    int inside = 0;
    for (int y = 2; y < 22; ++y) {
        for (int x = 0; x < 29; ++x)
            inside += PixelOf(shot, x, y) != Qt::white;
        EXPECT_EQ(PixelOf(shot, 29, y), Qt::white) << y;
    }
    EXPECT_GT(inside, 0);
}

TEST(SkinListStandaloneTest, ListWithoutParentAttachesWithoutBars)
{
    QStandardItemModel rows;
    CSkinListCtrl list;
    list.AttachScrollBars();
    EXPECT_EQ(list.VerticalBar(), nullptr);
    EXPECT_EQ(list.HorizontalBar(), nullptr);
    EXPECT_EQ(list.GetSelectedRow(), -1) << "no model yet";
    FillListModel(rows, 1);
    list.setModel(&rows);
    list.resize(100, 100);
    list.grab();
}

TEST(SkinListStandaloneTest, BarsGoWithTheList)
{
    QWidget window;
    auto* list = new CSkinListCtrl(&window);
    list->AttachScrollBars();
    ASSERT_NE(list->VerticalBar(), nullptr);
    delete list;
    EXPECT_TRUE(window.findChildren<CSkinVerticleScrollbar*>().isEmpty());
    EXPECT_TRUE(window.findChildren<CSkinHorizontalScrollbar*>().isEmpty());
}

}  // namespace
