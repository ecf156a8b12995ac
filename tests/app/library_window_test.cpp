// The window's library questions over a real library of the sample recordings.
#include <QDateTimeEdit>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "app/player_settings.h"
#include "library/library.h"
#include "library/track.h"
#include "tests/app/window_fixture.h"

namespace {

// The samples are slices of one drive, kSampleSeconds each, in this order, logged each
// second from 2024-06-11 08:15:00 UTC on.
constexpr qint64 kDriveStartMs = 1718093700000;
constexpr int kSampleSeconds = 4;
constexpr int kNt96650Slice = 2;
constexpr int kAnswerMs = 20000;

class LibraryWindowTest : public PlayerWindowTest
{
protected:
    // The samples imported into a library of the test's own, which the window uses.
    void makeLibrary()
    {
        const QString location = folder.filePath(QStringLiteral("library.sqlite"));
        Library library;
        ASSERT_TRUE(library.open(location).ok);
        const ImportSummary summary = library.importFolders({folder.path()});
        ASSERT_GE(summary.read, 4) << summary.error.toStdString();
        player_settings::setLibraryLocation(location);
    }

    // As a mouse does it: press, release, then the second press as a double-click.
    static void doubleClick(QTreeWidget* list, int row)
    {
        QWidget* viewport = list->viewport();
        const QPointF at = list->visualItemRect(list->topLevelItem(row)).center();
        const auto send = [&](QEvent::Type type, Qt::MouseButtons held) {
            QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, held,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &event);
        };
        send(QEvent::MouseButtonPress, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        send(QEvent::MouseButtonDblClick, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
    }

    // The position of the telemetry sample shown now.
    Position shownPosition() const
    {
        const TelemetryEntry* sample = dlg->session().currentSample();
        return sample && sample->position ? *sample->position : Position{};
    }
};

double metresBetween(const Position& a, double latitude, double longitude)
{
    return haversineMetres(a.latitude.value, a.longitude.value, latitude, longitude);
}

// A recording not in the list comes in with its moment and plays from the asked moment,
// by its log's dates; one already listed is not listed twice; a file gone only says so.
TEST_F(LibraryWindowTest, PlaysAFoundRecordingFromTheAskedMoment)
{
    const QString movie = samplePath("NT96650A");
    const qint64 asked = kDriveStartMs + (kNt96650Slice * kSampleSeconds + 2) * 1000 + 500;
    dlg->playFromLibrary(movie, asked);
    ASSERT_EQ(dlg->session().catalogue().count(), 1);
    ASSERT_EQ(dlg->session().state(), PlayState::Running) << statusText().toStdString();
    EXPECT_EQ(QString::fromStdString(dlg->session().openFile()), movie);
    EXPECT_NEAR(dlg->session().position(), 2.5, 0.3);

    dlg->playFromLibrary(movie, std::nullopt);
    EXPECT_EQ(dlg->session().catalogue().count(), 1);
    EXPECT_LT(dlg->session().position(), 0.5) << "no moment: from the start";

    const QString gone = folder.filePath(QStringLiteral("20240611_081500_GONE.MOV"));
    dlg->playFromLibrary(gone, asked);
    EXPECT_TRUE(statusText().contains(QStringLiteral("GONE.MOV"))) << statusText().toStdString();
    EXPECT_EQ(dlg->session().catalogue().count(), 1);
    EXPECT_EQ(QString::fromStdString(dlg->session().openFile()), movie);
}

// The map asks at the first fix of one recording, within 25 m: it and the one before it
// (whose last fix lies some 12 m back) answer, newest first; a double-click plays the
// older one from its closest approach. A place nobody passed, and a library that cannot
// open, say so.
TEST_F(LibraryWindowTest, PassedHereListsNewestFirstAndPlaysFromTheClosestApproach)
{
    makeLibrary();
    const QString nt = samplePath("NT96650A");
    dlg->playFromLibrary(nt, std::nullopt);
    const Position place = shownPosition();
    ASSERT_NE(place.latitude.value, 0.0);
    dlg->onStop();

    ASSERT_TRUE(map);
    map->passedHereAsked(place.latitude.value, place.longitude.value, 25.0);
    LibraryDialog* dialog = dlg->passedHereDialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_TRUE(waitFor([&] { return !dialog->searching(); }, kAnswerMs));
    QTreeWidget* list = dialog->hitList();
    ASSERT_EQ(list->topLevelItemCount(), 2) << dialog->stateText().toStdString();
    EXPECT_EQ(list->topLevelItem(0)->toolTip(3), nt);
    const QString a7l = samplePath("A7L");
    EXPECT_EQ(list->topLevelItem(1)->toolTip(3), a7l);
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("0 m"));
    const LibraryHit older = dialog->hits()[1];
    EXPECT_GT(older.metres, 5.0);
    EXPECT_LT(older.metres, 25.0);
    EXPECT_TRUE(dialog->stateText().contains(QStringLiteral("2 recordings")))
        << dialog->stateText().toStdString();

    doubleClick(list, 1);
    ASSERT_EQ(dlg->session().openFile(), a7l.toStdString()) << statusText().toStdString();
    EXPECT_EQ(dlg->session().state(), PlayState::Running);
    EXPECT_NEAR(metresBetween(shownPosition(), place.latitude.value, place.longitude.value),
                older.metres, 3.0);
    EXPECT_NEAR(dlg->session().position(), kSampleSeconds - 1.0, 0.6) << "its last fix";

    map->passedHereAsked(-33.5, 151.25, 50.0);
    ASSERT_TRUE(waitFor([&] { return !dialog->searching(); }, kAnswerMs));
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_TRUE(dialog->stateText().startsWith(QStringLiteral("No recording passed within 50 m")))
        << dialog->stateText().toStdString();

    player_settings::setLibraryLocation(folder.path());  // a folder is no library
    map->passedHereAsked(place.latitude.value, place.longitude.value, 25.0);
    dialog = dlg->passedHereDialog();
    ASSERT_TRUE(waitFor([&] { return !dialog->searching(); }, kAnswerMs));
    EXPECT_EQ(dialog->hitList()->topLevelItemCount(), 0);
    EXPECT_TRUE(dialog->stateText().contains(QStringLiteral("cannot be opened")))
        << dialog->stateText().toStdString();
}

// A local date and time (here 3 h ahead of UTC) finds the recording then and where it was;
// Play plays it from that moment.
TEST_F(LibraryWindowTest, WhereWasIAtFindsTheRecordingAndPlaysFromThen)
{
    const ScopedTimeZone zone("<+03>-3");
    makeLibrary();
    QStringList texts;
    onNextMenu(&texts, QStringLiteral("Where was I at..."));
    QTest::mouseClick(dlg.get(), Qt::RightButton, {}, QPoint(400, 10));
    ASSERT_TRUE(texts.contains(QStringLiteral("Where was I at...")));
    LibraryDialog* dialog = dlg->whereAtDialog();
    ASSERT_TRUE(dialog);

    // 08:15:10 UTC: the NT96650A sample's third second.
    const qint64 utcMs = kDriveStartMs + (kNt96650Slice * kSampleSeconds + 2) * 1000;
    dialog->momentEdit()->setDateTime(
        QDateTime(QDate(2024, 6, 11), QTime(11, 15, 10), Qt::LocalTime));
    dialog->findChild<QPushButton*>(QStringLiteral("find"))->click();
    EXPECT_EQ(dialog->stateText(), QStringLiteral("Searching..."));
    ASSERT_TRUE(waitFor([&] { return !dialog->searching(); }, kAnswerMs));
    QTreeWidget* list = dialog->hitList();
    ASSERT_EQ(list->topLevelItemCount(), 1) << dialog->stateText().toStdString();
    const QString nt = samplePath("NT96650A");
    EXPECT_EQ(list->topLevelItem(0)->toolTip(3), nt);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("2024-06-11 11:15:10"));
    ASSERT_TRUE(dialog->hits()[0].utcMs);
    EXPECT_EQ(*dialog->hits()[0].utcMs, utcMs);

    dialog->findChild<QPushButton*>(QStringLiteral("play"))->click();
    ASSERT_EQ(dlg->session().openFile(), nt.toStdString()) << statusText().toStdString();
    EXPECT_NEAR(dlg->session().position(), 2.0, 0.3);
    EXPECT_LT(
        metresBetween(shownPosition(), dialog->hits()[0].latitude, dialog->hits()[0].longitude),
        kTrackToleranceMetres + 1.0);
}

}  // namespace
