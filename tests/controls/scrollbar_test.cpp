#include "list_fixture.h"
#include "scrollbar_geometry.h"

#include <QTimer>
#include <QTimerEvent>

namespace {

// Fires a bar's timer as the event loop would when it expires.
void Fire(QWidget* bar, const char* name)
{
    auto* timer = bar->findChild<QTimer*>(QString::fromLatin1(name));
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(timer->isActive()) << name;
    QTimerEvent expiry(timer->timerId());
    QCoreApplication::sendEvent(timer, &expiry);
}

bool Active(QWidget* bar, const char* name)
{
    return bar->findChild<QTimer*>(QString::fromLatin1(name))->isActive();
}

TEST(ScrollbarGeometryTest, ClampKeepsOnePixelOfOverlap)
{
    const int h = 312;
    const int arrowStart = h - 37;
    EXPECT_EQ(ClampThumb(h - 63, arrowStart, 36), h - 63);  // touches the arrow: stays
    EXPECT_EQ(ClampThumb(h - 62, arrowStart, 36), h - 62);
    EXPECT_EQ(ClampThumb(h - 61, arrowStart, 36), h - 62);
    EXPECT_EQ(ClampThumb(h + 40, arrowStart, 36), h - 62);
    EXPECT_EQ(ClampThumb(20, arrowStart, 36), 36);
    EXPECT_EQ(ClampThumb(50, 60 - 37, 36), 36);  // too short for both: 36 wins
    EXPECT_EQ(ClampThumb(500, 201 - 26, 25), 201 - 51);
}

TEST(ScrollbarGeometryTest, NothingToScrollGivesNoScale)
{
    EXPECT_EQ(PixelsPerUnit(214, 0), 0.0);
    EXPECT_EQ(UnitsFromThumb(200, 36, 0.0, 0), 0);
    EXPECT_EQ(ThumbFromPosition(0.0, 0, 36), 36);
}

class ScrollbarTest : public ListFixture {
protected:
    void SetUp() override { Build(60); }

    int H() const { return vbar->height(); }
    QPoint UpArrow() const { return {6, 20}; }
    QPoint DownArrow() const { return {6, H() - 24}; }
    QPoint LeftArrow() const { return {10, 6}; }
    QPoint RightArrow() const { return {hbar->width() - 10, 6}; }
};

TEST_F(ScrollbarTest, BarsSitBesideAndBelowTheList)
{
    EXPECT_EQ(vbar->geometry(), QRect(210, 10, 12, 312));
    EXPECT_EQ(hbar->geometry(), QRect(10, 310, 201, 12));
    EXPECT_FALSE(list->verticalScrollBar()->isVisible());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    ASSERT_GT(VLimit(), 0);
    ASSERT_GT(HLimit(), 0);
}

TEST_F(ScrollbarTest, ThumbFollowsThePositionAndStopsAt62)
{
    for (int pos : {0, 1, VLimit() / 2, VLimit() - 1, VLimit()}) {
        list->verticalScrollBar()->setValue(pos);
        const double scale = double(H() - 98) / VLimit();
        EXPECT_DOUBLE_EQ(vbar->PixelsPerUnit(), scale);
        const int expected = std::min(int(scale * pos) + 36, H() - 62);
        EXPECT_EQ(vbar->ThumbTop(), expected) << pos;
    }
    EXPECT_EQ(vbar->ThumbTop(), H() - 62);

    for (int pos : {0, HLimit() / 3, HLimit()}) {
        list->horizontalScrollBar()->setValue(pos);
        const double scale = double(hbar->width() - 75) / HLimit();
        EXPECT_EQ(hbar->ThumbLeft(), std::min(int(scale * pos) + 25, hbar->width() - 51)) << pos;
    }
}

TEST_F(ScrollbarTest, DrawsPiecesAndThumb)
{
    list->verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    const QImage shot = OnScreen(vbar);
    EXPECT_EQ(PixelOf(shot, 6, 5), kBarCap);
    EXPECT_EQ(PixelOf(shot, 6, 20), kBarArrow);
    EXPECT_EQ(PixelOf(shot, 6, 48), kBarThumb);    // thumb 36..61
    EXPECT_EQ(PixelOf(shot, 6, 100), kBarChannel);
    EXPECT_EQ(PixelOf(shot, 6, H() - 20), kBarArrow);
    EXPECT_EQ(PixelOf(shot, 6, H() - 5), kBarCap);

    // Without pictures only the ground is left.
    vbar->SetImages({});
    hbar->SetImages({});
    EXPECT_EQ(PixelOf(OnScreen(vbar), 6, 48), QColor(74, 82, 107));
    EXPECT_EQ(PixelOf(OnScreen(hbar), 100, 6), QColor(76, 85, 118));
}

TEST_F(ScrollbarTest, DraggingTheThumbToTheBottomShowsTheLastPage)
{
    QTest::mousePress(vbar, Qt::LeftButton, {}, QPoint(6, 48));
    QTest::mouseMove(vbar, QPoint(6, H() - 40));
    QTest::mouseMove(vbar, QPoint(6, H() + 30));
    EXPECT_EQ(vbar->ThumbTop(), H() - 62);
    EXPECT_EQ(VPos(), VLimit());
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, QPoint(6, H() + 30));
    EXPECT_EQ(vbar->ThumbTop(), H() - 62);
    EXPECT_EQ(VPos(), VLimit());
}

TEST_F(ScrollbarTest, DraggingTheHorizontalThumbScrollsPixels)
{
    QTest::mousePress(hbar, Qt::LeftButton, {}, QPoint(38, 6));
    QTest::mouseMove(hbar, QPoint(38 + 40, 6));
    const double scale = double(hbar->width() - 75) / HLimit();
    EXPECT_EQ(HPos(), int((38 + 40 - 13 - 25) / scale));
    // Once the list has moved, the thumb shows where it came to rest.
    EXPECT_EQ(hbar->ThumbLeft(), int(scale * HPos()) + 25);
    QTest::mouseRelease(hbar, Qt::LeftButton, {}, QPoint(38 + 40, 6));
}

TEST_F(ScrollbarTest, ArrowClickScrollsOneLineOnRelease)
{
    QTest::mousePress(vbar, Qt::LeftButton, {}, DownArrow());
    EXPECT_EQ(VPos(), 0);
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, DownArrow());
    EXPECT_EQ(VPos(), 1);
    QTest::mouseClick(vbar, Qt::LeftButton, {}, UpArrow());
    EXPECT_EQ(VPos(), 0);
}

TEST_F(ScrollbarTest, HeldArrowRepeatsEvery50msAfter250ms)
{
    QTest::mousePress(vbar, Qt::LeftButton, {}, DownArrow());
    auto* delay = vbar->findChild<QTimer*>(QStringLiteral("arrowDelayTimer"));
    auto* repeat = vbar->findChild<QTimer*>(QStringLiteral("arrowRepeatTimer"));
    EXPECT_EQ(delay->interval(), 250);
    EXPECT_EQ(repeat->interval(), 50);
    EXPECT_TRUE(delay->isActive());
    EXPECT_FALSE(repeat->isActive());

    // One second held: the delay, then (1000 - 250) / 50 repeats, then the release.
    Fire(vbar, "arrowDelayTimer");
    EXPECT_FALSE(Active(vbar, "arrowDelayTimer"));
    EXPECT_EQ(VPos(), 0);
    for (int i = 0; i < 15; ++i)
        Fire(vbar, "arrowRepeatTimer");
    EXPECT_EQ(VPos(), 15);
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, DownArrow());
    EXPECT_EQ(VPos(), 16);
    EXPECT_FALSE(Active(vbar, "arrowRepeatTimer"));
    EXPECT_FALSE(Active(vbar, "arrowDelayTimer"));
}

TEST_F(ScrollbarTest, HeldArrowRepeatsInRealTime)
{
    QTest::mousePress(vbar, Qt::LeftButton, {}, DownArrow());
    QTest::qWait(150);
    EXPECT_EQ(VPos(), 0) << "no step before the 250 ms delay";
    QTRY_VERIFY_WITH_TIMEOUT(VPos() >= 3, 3000);
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, DownArrow());
    const int released = VPos();
    QTest::qWait(120);
    EXPECT_EQ(VPos(), released);
}

TEST_F(ScrollbarTest, DownPressReleasedOverUpArrowPagesUpOnce)
{
    list->verticalScrollBar()->setValue(30);
    const int page = list->verticalScrollBar()->pageStep();
    ASSERT_GT(page, 1);
    QTest::mousePress(vbar, Qt::LeftButton, {}, DownArrow());
    QTest::mouseMove(vbar, UpArrow());
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, UpArrow());
    EXPECT_EQ(VPos(), 30 - page);
}

TEST_F(ScrollbarTest, RightPressReleasedOverLeftArrowStepsLeftWithoutPaging)
{
    const int step = list->horizontalScrollBar()->singleStep();
    const int start = HLimit() - 1;
    ASSERT_LT(step, start);
    ASSERT_NE(step, list->horizontalScrollBar()->pageStep());
    list->horizontalScrollBar()->setValue(start);
    QTest::mousePress(hbar, Qt::LeftButton, {}, RightArrow());
    QTest::mouseMove(hbar, LeftArrow());
    QTest::mouseRelease(hbar, Qt::LeftButton, {}, LeftArrow());
    EXPECT_EQ(HPos(), start - step);

    // Released over the right arrow, whatever was pressed: one step right.
    QTest::mouseClick(hbar, Qt::LeftButton, {}, RightArrow());
    EXPECT_EQ(HPos(), start);
}

TEST_F(ScrollbarTest, ChannelClickPagesTowardsThePointOnRelease)
{
    list->verticalScrollBar()->setValue(20);
    const int page = list->verticalScrollBar()->pageStep();
    const int top = vbar->ThumbTop();
    QTest::mousePress(vbar, Qt::LeftButton, {}, QPoint(6, top + 40));
    EXPECT_EQ(VPos(), 20);
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, QPoint(6, top + 40));
    EXPECT_EQ(VPos(), 20 + page);

    const int below = vbar->ThumbTop();
    QTest::mouseClick(vbar, Qt::LeftButton, {}, QPoint(6, below - 5));
    EXPECT_EQ(VPos(), 20);

    // A click on the thumb itself does not page.
    QTest::mouseClick(vbar, Qt::LeftButton, {}, QPoint(6, vbar->ThumbTop() + 13));
    EXPECT_EQ(VPos(), 20);
}

TEST_F(ScrollbarTest, KeyboardAndWheelMoveTheThumbs)
{
    list->setFocus();
    list->SelectRow(0);
    QTest::keyClick(list, Qt::Key_End);
    QCoreApplication::processEvents();
    EXPECT_EQ(VPos(), VLimit());
    EXPECT_EQ(vbar->ThumbTop(), H() - 62);
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(vbar->ThumbTop(), 36);
}

class ShortListScrollbarTest : public ListFixture {
protected:
    void SetUp() override { Build(3); }
};

TEST_F(ShortListScrollbarTest, NothingToScrollDrawsNoThumbAndIgnoresDrag)
{
    list->setColumnWidth(2, 20);  // everything fits across too
    QCoreApplication::processEvents();
    ASSERT_EQ(VLimit(), 0);
    ASSERT_EQ(HLimit(), 0);
    EXPECT_EQ(vbar->ThumbTop(), 36);
    EXPECT_EQ(hbar->ThumbLeft(), 25);
    EXPECT_EQ(PixelOf(OnScreen(vbar), 6, 48), kBarChannel);
    EXPECT_EQ(PixelOf(OnScreen(hbar), 38, 6), kBarChannel);

    QTest::mousePress(vbar, Qt::LeftButton, {}, QPoint(6, 48));
    QTest::mouseMove(vbar, QPoint(6, 200));
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, QPoint(6, 200));
    QTest::mouseClick(vbar, Qt::LeftButton, {}, QPoint(6, vbar->height() - 24));
    EXPECT_EQ(VPos(), 0);
    EXPECT_EQ(vbar->ThumbTop(), 36);
}

}  // namespace
