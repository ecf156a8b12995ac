#include "controls/seek_slider.h"
#include "skin/skin_palette.h"
#include "tests/controls/test_images.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QTest>

#include <vector>

namespace {

enum class Signal { Moved, Released };

struct Notification
{
    Signal signal;
    int position;
    int positionWhenHandled;
};

// The slider's parent: records a drag's moves, and its releases and key actions (where the
// thumb came to rest), in the order they come.
class Owner : public QWidget
{
public:
    void watch(SeekSlider* watched)
    {
        slider = watched;
        QObject::connect(slider, &SeekSlider::sliderMoved, this,
                         [this](int position) { record(Signal::Moved, position); });
        QObject::connect(slider, &SeekSlider::sliderReleased, this,
                         [this] { record(Signal::Released, slider->sliderPosition()); });
        QObject::connect(slider, &SeekSlider::actionTriggered, this, [this](int action) {
            if (action != QAbstractSlider::SliderMove) {
                record(Signal::Released, slider->sliderPosition());
            }
        });
    }

    std::vector<Notification> received;

private:
    void record(Signal signal, int position)
    {
        received.push_back({signal, position, slider->sliderPosition()});
    }

    SeekSlider* slider = nullptr;
};

const QColor kPlayed(0, 200, 0);
const QColor kUnplayed(200, 0, 0);
const QColor kThumb(0, 0, 255);
const QColor kActiveThumb(255, 255, 0);

// An 18 x 18 thumb: a clear ring around a solid 14 x 14 core.
QImage thumbPicture(QColor core)
{
    QImage image(18, 18, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(2, 2, 14, 14, core);
    return image;
}

class SliderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        owner.resize(720, 40);
        slider = new SeekSlider(&owner);
        owner.watch(slider);
        slider->move(9, 20);
        // As the player window sets up its seek bar.
        slider->setChannelPictures(solidImage(675, 9, kUnplayed), solidImage(675, 9, kPlayed));
        slider->setThumbPictures(thumbPicture(kThumb), thumbPicture(kActiveThumb));
        slider->setFocusFrame(false);
        slider->setRange(0, 100);
        slider->setPageStep(20);
        slider->setValue(0);
        slider->setMargins(QMargins(0, -5, 0, 5));
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    }

    std::vector<Notification> handled()
    {
        QCoreApplication::processEvents();
        return std::exchange(owner.received, {});
    }

    Owner owner;
    SeekSlider* slider = nullptr;
};

TEST_F(SliderTest, ChannelImageSizesTheControl)
{
    EXPECT_EQ(slider->size(), QSize(675, 9));
    EXPECT_EQ(slider->pos(), QPoint(9, 20));
}

TEST_F(SliderTest, PositionAndPixelMapBothEnds)
{
    const int n = 1234;
    slider->setRange(0, n);
    for (int p : {0, 1, 617, 1233, n}) {
        EXPECT_EQ(slider->positionToPixel(p), 657 * p / n + 9) << p;
    }
    EXPECT_EQ(slider->positionToPixel(n), 675 - 9);
    EXPECT_EQ(slider->pixelToPosition(9), 0);
    EXPECT_EQ(slider->pixelToPosition(666), n);
    // The way back truncates: the pixel just right of position 1's centre is still 1.
    EXPECT_EQ(slider->pixelToPosition(slider->positionToPixel(1) + 1), 1);
}

TEST_F(SliderTest, EmptyRangeOrTravelRestsAtTheLeftEnd)
{
    slider->setRange(7, 7);
    EXPECT_EQ(slider->positionToPixel(7), 9);
    EXPECT_EQ(slider->pixelToPosition(400), 7);

    slider->setRange(0, 100);
    slider->setChannelPictures(solidImage(18, 9, kUnplayed), QImage());
    EXPECT_EQ(slider->positionToPixel(50), 9);
    EXPECT_EQ(slider->pixelToPosition(12), 0);
}

TEST_F(SliderTest, PressOffTheThumbJumpsAndSignalsThePositionItStored)
{
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(337, 4));
    const int jumped = slider->pixelToPosition(337);
    EXPECT_EQ(slider->value(), jumped);

    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(337, 4));
    const auto notes = handled();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].signal, Signal::Moved);
    EXPECT_EQ(notes[1].signal, Signal::Released);
    for (const Notification& note : notes) {
        EXPECT_EQ(note.position, jumped);
        EXPECT_EQ(note.positionWhenHandled, jumped);
    }
}

TEST_F(SliderTest, PressOnTheThumbKeepsTheGrip)
{
    slider->setValue(50);
    const int centre = slider->positionToPixel(50);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(centre + 6, 4));
    EXPECT_EQ(slider->value(), 50);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(centre + 6, 4));
    auto notes = handled();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].signal, Signal::Released);
    EXPECT_EQ(notes[0].position, 50);

    // Dragging moves the thumb centre by what the mouse moved, not to the mouse.
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(centre + 6, 4));
    QTest::mouseMove(slider, QPoint(centre + 6 + 40, 4));
    EXPECT_EQ(slider->value(), slider->pixelToPosition(centre + 40));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(centre + 46, 4));
    notes = handled();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].signal, Signal::Moved);
    EXPECT_EQ(notes[1].signal, Signal::Released);
}

TEST_F(SliderTest, DraggingPastEitherEndHoldsTheThumbAtTheEnd)
{
    slider->setValue(50);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(600, 4));
    QTest::mouseMove(slider, QPoint(900, 4));
    EXPECT_EQ(slider->value(), 100);
    EXPECT_EQ(slider->positionToPixel(slider->value()), 675 - 9);
    QTest::mouseMove(slider, QPoint(-200, 4));
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(slider->positionToPixel(slider->value()), 9);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(-200, 4));
    const auto notes = handled();
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes.back().signal, Signal::Released);
    EXPECT_EQ(notes.back().position, 0);
}

TEST_F(SliderTest, KeysStepAndEachSignalsReleased)
{
    slider->setFocus();
    struct Step
    {
        Qt::Key key;
        int expected;
    };
    const Step steps[] = {
        {Qt::Key_PageUp, 0},  // already at the minimum: stays, still notifies
        {Qt::Key_PageDown, 20}, {Qt::Key_Right, 21}, {Qt::Key_Down, 22},      {Qt::Key_Left, 21},
        {Qt::Key_Up, 20},       {Qt::Key_End, 100},  {Qt::Key_PageDown, 100}, {Qt::Key_Home, 0},
    };
    for (const Step& step : steps) {
        QTest::keyClick(slider, step.key);
        EXPECT_EQ(slider->value(), step.expected) << step.key;
        const auto notes = handled();
        ASSERT_EQ(notes.size(), 1u) << step.key;
        EXPECT_EQ(notes[0].signal, Signal::Released);
        EXPECT_EQ(notes[0].position, step.expected);
    }
    QTest::keyClick(slider, Qt::Key_A);
    EXPECT_TRUE(handled().empty());
    slider->setPageStep(5);
    QTest::keyClick(slider, Qt::Key_PageDown);
    EXPECT_EQ(slider->value(), 5);
    slider->setSingleStep(3);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->value(), 8);
    QTest::keyClick(slider, Qt::Key_Up);
    EXPECT_EQ(slider->value(), 5);
}

TEST_F(SliderTest, SetPositionClampsAndPostsNothing)
{
    slider->setValue(250);
    EXPECT_EQ(slider->value(), 100);
    slider->setValue(-3);
    EXPECT_EQ(slider->value(), 0);
    slider->setRange(10, 5);  // inverted: the minimum wins
    slider->setValue(7);
    EXPECT_EQ(slider->value(), 10);
    EXPECT_TRUE(handled().empty());
}

TEST_F(SliderTest, PaintsPlayedPartThumbAndThroughTheThumbMask)
{
    slider->setValue(50);
    const int centre = slider->positionToPixel(50);  // 337
    const QImage shot = onScreen(slider);
    EXPECT_EQ(pixelOf(shot, centre - 20, 4), kPlayed);
    EXPECT_EQ(pixelOf(shot, centre + 20, 4), kUnplayed);
    // Thumb drawn from 5 rows above the control: its core covers the 9 visible rows.
    EXPECT_EQ(pixelOf(shot, centre, 0), kThumb);
    EXPECT_EQ(pixelOf(shot, centre, 8), kThumb);
    // The thumb's clear ring: the channel shows through.
    EXPECT_EQ(pixelOf(shot, centre - 9, 4), kPlayed);
    EXPECT_EQ(pixelOf(shot, centre + 8, 4), kUnplayed);
}

// Event ticks sit on the channel at their values, under the thumb; values outside the
// range draw nothing.
TEST_F(SliderTest, TicksMarkTheirValuesOnTheChannel)
{
    slider->setValue(50);
    slider->setTicks(
        1,
        {{20, palette::kWarn}, {80, palette::kWarn}, {50, palette::kWarn}, {150, palette::kWarn}});
    const QImage shot = onScreen(slider);
    const QColor tick = palette::kWarn;
    for (const int value : {20, 80}) {
        const QRect r = slider->tickRect(value);
        EXPECT_EQ(r.width(), 2);
        EXPECT_EQ(pixelOf(shot, r.left(), 4), tick) << value;
        EXPECT_EQ(pixelOf(shot, r.right(), 8), tick) << value;
        EXPECT_NE(pixelOf(shot, r.left() - 1, 4), tick) << value;
        EXPECT_NE(pixelOf(shot, r.right() + 1, 4), tick) << value;
    }
    EXPECT_EQ(pixelOf(shot, slider->positionToPixel(50), 4), kThumb);
    EXPECT_EQ(pixelOf(shot, 674, 4), kUnplayed);
    slider->setTicks(1, {});
    EXPECT_EQ(pixelOf(onScreen(slider), slider->tickRect(20).left(), 4), kPlayed);
}

// Each kind keeps its ticks when another's change; a value off the range draws nothing.
TEST_F(SliderTest, TicksOfEachKindShowOnBothSidesOfTheThumbUntilReplaced)
{
    const QColor in(255, 0, 255);
    const QColor event(0, 255, 255);
    slider->setValue(50);
    slider->setTicks(0, {{20, in}, {150, in}});
    slider->setTicks(1, {{80, event}});
    QImage shot = onScreen(slider);
    EXPECT_EQ(pixelOf(shot, slider->positionToPixel(20), 4), in);
    EXPECT_EQ(pixelOf(shot, slider->positionToPixel(80), 4), event);
    EXPECT_EQ(pixelOf(shot, slider->positionToPixel(20) + 10, 4), kPlayed);
    EXPECT_EQ(pixelOf(shot, slider->width() - 3, 4), kUnplayed) << "150 is past the range";
    slider->setTicks(0, {});
    shot = onScreen(slider);
    EXPECT_EQ(pixelOf(shot, slider->positionToPixel(20), 4), kPlayed);
    EXPECT_EQ(pixelOf(shot, slider->positionToPixel(80), 4), event);
}

TEST_F(SliderTest, ActiveThumbWhileDragging)
{
    slider->setValue(50);
    const int centre = slider->positionToPixel(50);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(centre, 4));
    EXPECT_EQ(pixelOf(onScreen(slider), centre, 4), kActiveThumb);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(centre, 4));
    EXPECT_EQ(pixelOf(onScreen(slider), centre, 4), kThumb);
}

TEST_F(SliderTest, DisabledShowsNoThumbAndIgnoresInput)
{
    slider->setValue(50);
    slider->setEnabled(false);
    const QImage shot = onScreen(slider);
    for (int x : {0, 100, slider->positionToPixel(50), 674}) {
        EXPECT_EQ(pixelOf(shot, x, 4), kUnplayed) << x;
    }

    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(600, 4));
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(slider->value(), 50);
    EXPECT_TRUE(handled().empty());
}

TEST_F(SliderTest, DisablingEndsADrag)
{
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(100, 4));
    ASSERT_TRUE(slider->isSliderDown());
    handled();
    const int position = slider->value();
    slider->setEnabled(false);
    EXPECT_FALSE(slider->isSliderDown());
    // The drag ends where the thumb stood, as a release there would.
    const auto ended = handled();
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].signal, Signal::Released);
    EXPECT_EQ(ended[0].position, position);
    QTest::mouseMove(slider, QPoint(500, 4));
    EXPECT_EQ(slider->value(), position);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(500, 4));
    EXPECT_TRUE(handled().empty()) << "the release is ignored while disabled";
}

TEST_F(SliderTest, FocusFrameIsDrawnByInversionOnlyWhenAsked)
{
    slider->setValue(50);
    slider->setFocus();
    QCoreApplication::processEvents();
    const QColor inverted(255 - 200, 255, 255);  // the unplayed red, inverted
    auto framed = [&] {
        const QImage shot = onScreen(slider);
        int n = 0;
        for (int x = 400; x < 600; ++x) {
            n += pixelOf(shot, x, 0) == inverted;
        }
        return n;
    };
    EXPECT_EQ(framed(), 0) << "the seek bar's frame is off";
    slider->setFocusFrame(true);
    EXPECT_GT(framed(), 50);
    slider->clearFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(framed(), 0);
}

TEST_F(SliderTest, TransparentChannelLeavesNoTraceOfTheThumbWhereItWas)
{
    // Clear in a corner only: what lies beneath shows there, and the thumb leaves no trace.
    QImage unplayed = solidImage(675, 9, kUnplayed);
    QImage played = solidImage(675, 9, kPlayed);
    unplayed.convertTo(QImage::Format_ARGB32);
    played.convertTo(QImage::Format_ARGB32);
    unplayed.setPixelColor(0, 0, Qt::transparent);
    played.setPixelColor(0, 0, Qt::transparent);
    slider->setChannelPictures(unplayed, played);
    slider->setValue(80);
    const int was = slider->positionToPixel(80);
    ASSERT_EQ(pixelOf(onScreen(slider), was - 5, 4), kThumb);
    slider->setValue(20);
    const QImage shot = onScreen(slider);
    for (int x : {was - 8, was - 5, was, was + 5}) {
        EXPECT_EQ(pixelOf(shot, x, 4), kUnplayed) << x;
    }
}

}  // namespace
