#include "controls/skin_button.h"
#include "res/resources.h"
#include "tests/controls/test_images.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPainter>
#include <QTest>

namespace {

const QColor kFrameColours[4] = {{10, 10, 10}, {200, 0, 0}, {0, 200, 0}, {90, 90, 90}};

// A 208 x 51 strip of four 52 x 51 frames; each frame has a clear 4 x 4 patch at (1, 1) so
// the backdrop shows through it.
QImage Strip(int shade = 0)
{
    QImage strip(208, 51, QImage::Format_ARGB32);
    QPainter painter(&strip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (int k = 0; k < 4; ++k) {
        painter.fillRect(k * 52, 0, 52, 51, kFrameColours[k].lighter(100 + shade));
        painter.fillRect(k * 52 + 1, 1, 4, 4, Qt::transparent);
    }
    return strip;
}

// Counts the button's paints.
class PaintCounter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
    int paints = 0;
};

class ButtonTest : public testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(400, 300);
        button = new SkinButton(&window);
        button->move(100, 200);
        button->setBackdrop(&skin);
        button->setImage(Strip());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        // Start with the mouse on the window, away from the button.
        QTest::mouseMove(&window, QPoint(5, 5));
        button->installEventFilter(&counter);
    }

    QColor centre() { return pixelOf(onScreen(button), 26, 25); }

    QImage skin = coordinateImage(600, 600);
    QWidget window;
    SkinButton* button = nullptr;
    PaintCounter counter;
};

TEST_F(ButtonTest, FirstImageSizesTheButtonToOneFrame)
{
    EXPECT_EQ(button->geometry(), QRect(100, 200, 52, 51));
    EXPECT_EQ(button->frameWidth(), 52);
    EXPECT_EQ(centre(), kFrameColours[0]);
}

TEST_F(ButtonTest, ReloadKeepsSizeAndRedrawsTheShownFrame)
{
    QTest::mouseMove(button, QPoint(20, 20));
    ASSERT_EQ(button->shownFrame(), 2);
    QImage wide = Strip(50).scaled(260, 51);
    button->setImage(wide);
    EXPECT_EQ(button->geometry(), QRect(100, 200, 52, 51));
    EXPECT_EQ(button->shownFrame(), 2);
    EXPECT_EQ(button->frameWidth(), 65);
    EXPECT_EQ(centre(), kFrameColours[2].lighter(150));
}

TEST_F(ButtonTest, BackdropIsTheSkinUnderTheButton)
{
    const QImage shot = onScreen(button);
    EXPECT_EQ(shot.pixel(2, 2), coordinateColour(102, 202));

    // A skin of 192 dots per inch is read from twice the offset.
    skin.setDotsPerMeterX(7559);
    skin.setDotsPerMeterY(7559);
    button->repaint();
    EXPECT_EQ(onScreen(button).pixel(2, 2), coordinateColour(202, 402));
}

TEST_F(ButtonTest, HoverFrameIsDrawnOnceAndLeavingRestoresNormal)
{
    QTest::mouseMove(&window, QPoint(50, 50));
    counter.paints = 0;
    QTest::mouseMove(button, QPoint(10, 10));
    EXPECT_EQ(button->shownFrame(), 2);
    EXPECT_EQ(counter.paints, 1);
    QTest::mouseMove(button, QPoint(20, 30));
    QTest::mouseMove(button, QPoint(30, 40));
    EXPECT_EQ(counter.paints, 1);
    EXPECT_EQ(centre(), kFrameColours[2]);

    QTest::mouseMove(&window, QPoint(50, 50));
    EXPECT_FALSE(button->isHovering());
    EXPECT_EQ(button->shownFrame(), 0);
    EXPECT_EQ(centre(), kFrameColours[0]);
}

TEST_F(ButtonTest, DraggingInFromOutsideDoesNotHighlight)
{
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(50, 50));
    // Whether or not the press's grab lets the moves reach the button, it stays normal.
    QTest::mouseMove(&window, QPoint(120, 220));
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), button->mapToGlobal(QPointF(20, 20)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &move);
    EXPECT_FALSE(button->isHovering());
    EXPECT_EQ(button->shownFrame(), 0);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(120, 220));
}

TEST_F(ButtonTest, PressDrawsPressedOverHighlighted)
{
    int clicks = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    QTest::mouseMove(button, QPoint(20, 20));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(button->shownFrame(), 1);
    EXPECT_EQ(centre(), kFrameColours[1]);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(button->shownFrame(), 2);  // focused and hovered
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, AButtonThatNeverTakesTheFocusStillLooksPressed)
{
    button->setFocusPolicy(Qt::NoFocus);  // as the player window's buttons
    button->clearFocus();
    QTest::mouseMove(&window, QPoint(50, 50));
    QTest::mouseMove(button, QPoint(20, 20));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_FALSE(button->hasFocus());
    EXPECT_EQ(button->shownFrame(), 1);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(button->shownFrame(), 2) << "the pointer is still over it";
}

TEST_F(ButtonTest, DisabledShowsFrameThreeAndHandsTheFocusOn)
{
    auto* next = new SkinButton(&window);
    next->move(200, 200);
    next->setImage(Strip());
    next->show();
    button->setFocus();
    button->setEnabled(false);
    EXPECT_EQ(button->shownFrame(), 3);
    EXPECT_EQ(centre(), kFrameColours[3]);
    EXPECT_FALSE(button->hasFocus());
    button->setEnabled(true);
    EXPECT_EQ(button->shownFrame(), 0);
}

TEST_F(ButtonTest, FocusWithoutTheMouseShowsNormal)
{
    button->setFocus();
    EXPECT_EQ(button->shownFrame(), 0);
}

TEST(ButtonResourceTest, MissingStripLeavesAnEmptyButton)
{
    QWidget window;
    SkinButton button(&window);
    button.move(5, 6);
    button.setImage(skinPicture(QStringLiteral("no-such-picture.png")));
    EXPECT_EQ(button.geometry(), QRect(5, 6, 0, 0));
}

}  // namespace
