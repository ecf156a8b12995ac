#include "controls/scrollbar_geometry.h"
#include "tests/controls/list_fixture.h"

#include <QTimer>
#include <QTimerEvent>

namespace {

// Fires a bar's timer as the event loop would when it expires.
void fire(QWidget* bar, const char* name)
{
    auto* timer = bar->findChild<QTimer*>(QString::fromLatin1(name));
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(timer->isActive()) << name;
    QTimerEvent expiry(timer->timerId());
    QCoreApplication::sendEvent(timer, &expiry);
}

bool active(QWidget* bar, const char* name)
{
    return bar->findChild<QTimer*>(QString::fromLatin1(name))->isActive();
}

TEST(ScrollbarGeometryTest, ClampKeepsOnePixelOfOverlap)
{
    const int h = 312;
    const int arrowStart = h - 37;
    EXPECT_EQ(clampThumb(h - 63, arrowStart, 36), h - 63);  // touches the arrow: stays
    EXPECT_EQ(clampThumb(h - 62, arrowStart, 36), h - 62);
    EXPECT_EQ(clampThumb(h - 61, arrowStart, 36), h - 62);
    EXPECT_EQ(clampThumb(h + 40, arrowStart, 36), h - 62);
    EXPECT_EQ(clampThumb(20, arrowStart, 36), 36);
    EXPECT_EQ(clampThumb(50, 60 - 37, 36), 36);  // too short for both: 36 wins
    EXPECT_EQ(clampThumb(500, 201 - 26, 25), 201 - 51);
}

TEST(ScrollbarGeometryTest, NothingToScrollGivesNoScale)
{
    EXPECT_EQ(pixelsPerUnit(214, 0), 0.0);
    EXPECT_EQ(unitsFromThumb(200, 36, 0.0, 0), 0);
    EXPECT_EQ(thumbFromPosition(0.0, 0, 36), 36);
}

class ScrollBarTest : public ListFixture
{
protected:
    void SetUp() override { build(60); }

    // The bars' lengths with what runs on into the corner.
    int H() const { return vbar->height() + 12; }
    int W() const { return hbar->width() + 1; }
    QPoint upArrow() const { return {6, 20}; }
    QPoint downArrow() const { return {6, H() - 24}; }
    QPoint leftArrow() const { return {10, 6}; }
    QPoint rightArrow() const { return {W() - 10, 6}; }
};

TEST_F(ScrollBarTest, BarsAreTheListsOwnAtItsEdges)
{
    EXPECT_EQ(QRect(vbar->mapTo(list, QPoint(0, 0)), vbar->size()), QRect(200, 0, 12, 300));
    EXPECT_EQ(QRect(hbar->mapTo(list, QPoint(0, 0)), hbar->size()), QRect(0, 300, 200, 12));
    EXPECT_EQ(list->viewport()->width(), 200);
    ASSERT_GT(vLimit(), 0);
    ASSERT_GT(hLimit(), 0);
}

TEST_F(ScrollBarTest, ThumbFollowsThePositionAndStopsAt62)
{
    for (int pos : {0, 1, vLimit() / 2, vLimit() - 1, vLimit()}) {
        list->verticalScrollBar()->setValue(pos);
        const double scale = double(H() - 98) / vLimit();
        EXPECT_DOUBLE_EQ(vbar->pixelsPerUnit(), scale);
        const int expected = std::min(int(scale * pos) + 36, H() - 62);
        EXPECT_EQ(vbar->thumbPosition(), expected) << pos;
    }
    EXPECT_EQ(vbar->thumbPosition(), H() - 62);

    for (int pos : {0, hLimit() / 3, hLimit()}) {
        list->horizontalScrollBar()->setValue(pos);
        const double scale = double(W() - 75) / hLimit();
        EXPECT_EQ(hbar->thumbPosition(), std::min(int(scale * pos) + 25, W() - 51)) << pos;
    }
}

TEST_F(ScrollBarTest, DrawsPiecesAndThumb)
{
    list->verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    // The vertical bar at x 200 of the list, 312 long with the corner, which shows its down
    // arrow's last row, its bottom cap, and the horizontal bar's last column.
    const QImage shot = onScreen(list);
    EXPECT_EQ(pixelOf(shot, 206, 5), kBarCap);
    EXPECT_EQ(pixelOf(shot, 206, 20), kBarArrow);
    EXPECT_EQ(pixelOf(shot, 206, 48), kBarThumb);  // thumb 36..61
    EXPECT_EQ(pixelOf(shot, 206, 100), kBarChannel);
    EXPECT_EQ(pixelOf(shot, 206, H() - 20), kBarArrow);
    EXPECT_EQ(pixelOf(shot, 206, 300), kBarArrow);
    EXPECT_EQ(pixelOf(shot, 206, H() - 5), kBarCap);
    EXPECT_EQ(pixelOf(shot, 201, H() - 5), kBarCap);
    EXPECT_EQ(pixelOf(shot, 200, H() - 5), kBarArrowEnd);
    EXPECT_EQ(pixelOf(shot, 199, H() - 5), kBarArrowEnd);
    EXPECT_EQ(pixelOf(shot, 174, H() - 5), kBarChannel);
    EXPECT_EQ(pixelOf(shot, 12, H() - 5), kBarArrow);

    // Without pictures only the ground is left.
    vbar->setPictures({});
    hbar->setPictures({});
    EXPECT_EQ(pixelOf(onScreen(vbar), 6, 48), QColor(74, 82, 107));
    EXPECT_EQ(pixelOf(onScreen(hbar), 100, 6), QColor(76, 85, 118));
}

TEST_F(ScrollBarTest, DraggingTheThumbToTheBottomShowsTheLastPage)
{
    QTest::mousePress(vbar, Qt::LeftButton, {}, QPoint(6, 48));
    QTest::mouseMove(vbar, QPoint(6, H() - 40));
    QTest::mouseMove(vbar, QPoint(6, H() + 30));
    EXPECT_EQ(vbar->thumbPosition(), H() - 62);
    EXPECT_EQ(vPos(), vLimit());
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, QPoint(6, H() + 30));
    EXPECT_EQ(vbar->thumbPosition(), H() - 62);
    EXPECT_EQ(vPos(), vLimit());
}

TEST_F(ScrollBarTest, DraggingTheHorizontalThumbScrollsPixels)
{
    QTest::mousePress(hbar, Qt::LeftButton, {}, QPoint(38, 6));
    QTest::mouseMove(hbar, QPoint(38 + 40, 6));
    const double scale = double(W() - 75) / hLimit();
    EXPECT_EQ(hPos(), int((38 + 40 - 13 - 25) / scale));
    // Once the list has moved, the thumb shows where it came to rest.
    EXPECT_EQ(hbar->thumbPosition(), int(scale * hPos()) + 25);
    QTest::mouseRelease(hbar, Qt::LeftButton, {}, QPoint(38 + 40, 6));
}

TEST_F(ScrollBarTest, ArrowClickScrollsOneLineOnRelease)
{
    QTest::mousePress(vbar, Qt::LeftButton, {}, downArrow());
    EXPECT_EQ(vPos(), 0);
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, downArrow());
    EXPECT_EQ(vPos(), 1);
    QTest::mouseClick(vbar, Qt::LeftButton, {}, upArrow());
    EXPECT_EQ(vPos(), 0);
}

TEST_F(ScrollBarTest, HeldArrowRepeatsEvery50msAfter250ms)
{
    QTest::mousePress(vbar, Qt::LeftButton, {}, downArrow());
    auto* delay = vbar->findChild<QTimer*>(QStringLiteral("arrowDelayTimer"));
    auto* repeat = vbar->findChild<QTimer*>(QStringLiteral("arrowRepeatTimer"));
    EXPECT_EQ(delay->interval(), 250);
    EXPECT_EQ(repeat->interval(), 50);
    EXPECT_TRUE(delay->isActive());
    EXPECT_FALSE(repeat->isActive());

    // One second held: the delay, then (1000 - 250) / 50 repeats, then the release.
    fire(vbar, "arrowDelayTimer");
    EXPECT_FALSE(active(vbar, "arrowDelayTimer"));
    EXPECT_EQ(vPos(), 0);
    for (int i = 0; i < 15; ++i) {
        fire(vbar, "arrowRepeatTimer");
    }
    EXPECT_EQ(vPos(), 15);
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, downArrow());
    EXPECT_EQ(vPos(), 16);
    EXPECT_FALSE(active(vbar, "arrowRepeatTimer"));
    EXPECT_FALSE(active(vbar, "arrowDelayTimer"));
}

TEST_F(ScrollBarTest, HeldArrowRepeatsInRealTime)
{
    QTest::mousePress(vbar, Qt::LeftButton, {}, downArrow());
    QTest::qWait(150);
    EXPECT_EQ(vPos(), 0) << "no step before the 250 ms delay";
    QTRY_VERIFY_WITH_TIMEOUT(vPos() >= 3, 3000);
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, downArrow());
    const int released = vPos();
    QTest::qWait(120);
    EXPECT_EQ(vPos(), released);
}

TEST_F(ScrollBarTest, DownPressReleasedOverUpArrowPagesUpOnce)
{
    list->verticalScrollBar()->setValue(30);
    const int page = list->verticalScrollBar()->pageStep();
    ASSERT_GT(page, 1);
    QTest::mousePress(vbar, Qt::LeftButton, {}, downArrow());
    QTest::mouseMove(vbar, upArrow());
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, upArrow());
    EXPECT_EQ(vPos(), 30 - page);
}

TEST_F(ScrollBarTest, RightPressReleasedOverLeftArrowStepsLeftWithoutPaging)
{
    const int step = list->horizontalScrollBar()->singleStep();
    const int start = hLimit() - 1;
    ASSERT_LT(step, start);
    ASSERT_NE(step, list->horizontalScrollBar()->pageStep());
    list->horizontalScrollBar()->setValue(start);
    QTest::mousePress(hbar, Qt::LeftButton, {}, rightArrow());
    QTest::mouseMove(hbar, leftArrow());
    QTest::mouseRelease(hbar, Qt::LeftButton, {}, leftArrow());
    EXPECT_EQ(hPos(), start - step);

    // Released over the right arrow, whatever was pressed: one step right.
    QTest::mouseClick(hbar, Qt::LeftButton, {}, rightArrow());
    EXPECT_EQ(hPos(), start);
}

TEST_F(ScrollBarTest, ChannelClickPagesTowardsThePointOnRelease)
{
    list->verticalScrollBar()->setValue(20);
    const int page = list->verticalScrollBar()->pageStep();
    const int top = vbar->thumbPosition();
    QTest::mousePress(vbar, Qt::LeftButton, {}, QPoint(6, top + 40));
    EXPECT_EQ(vPos(), 20);
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, QPoint(6, top + 40));
    EXPECT_EQ(vPos(), 20 + page);

    const int below = vbar->thumbPosition();
    QTest::mouseClick(vbar, Qt::LeftButton, {}, QPoint(6, below - 5));
    EXPECT_EQ(vPos(), 20);

    // A click on the thumb itself does not page.
    QTest::mouseClick(vbar, Qt::LeftButton, {}, QPoint(6, vbar->thumbPosition() + 13));
    EXPECT_EQ(vPos(), 20);
}

TEST_F(ScrollBarTest, KeyboardAndWheelMoveTheThumbs)
{
    list->setFocus();
    list->selectExistingRow(0);
    QTest::keyClick(list, Qt::Key_End);
    QCoreApplication::processEvents();
    EXPECT_EQ(vPos(), vLimit());
    EXPECT_EQ(vbar->thumbPosition(), H() - 62);
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(vbar->thumbPosition(), 36);
}

class ShortListScrollBarTest : public ListFixture
{
protected:
    void SetUp() override { build(3); }
};

TEST_F(ShortListScrollBarTest, NothingToScrollDrawsNoThumbAndIgnoresDrag)
{
    list->setColumnWidth(2, 20);  // everything fits across too
    QCoreApplication::processEvents();
    ASSERT_EQ(vLimit(), 0);
    ASSERT_EQ(hLimit(), 0);
    EXPECT_EQ(vbar->thumbPosition(), 36);
    EXPECT_EQ(hbar->thumbPosition(), 25);
    EXPECT_EQ(pixelOf(onScreen(vbar), 6, 48), kBarChannel);
    EXPECT_EQ(pixelOf(onScreen(hbar), 38, 6), kBarChannel);
    EXPECT_TRUE(vbar->isVisible());

    QTest::mousePress(vbar, Qt::LeftButton, {}, QPoint(6, 48));
    QTest::mouseMove(vbar, QPoint(6, 200));
    QTest::mouseRelease(vbar, Qt::LeftButton, {}, QPoint(6, 200));
    QTest::mouseClick(vbar, Qt::LeftButton, {}, QPoint(6, vbar->height() - 12));  // down arrow
    EXPECT_EQ(vPos(), 0);
    EXPECT_EQ(vbar->thumbPosition(), 36);
}

}  // namespace
