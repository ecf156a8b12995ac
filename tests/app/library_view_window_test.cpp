// The library view over the window: an import reaches it, and a recording whose card is out
// shows so and plays when the card comes back at another mount point.
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include "app/library_dialog.h"
#include "app/library_view.h"
#include "app/player_settings.h"
#include "tests/app/window_fixture.h"

namespace {

const QString kRecordingName = QStringLiteral("2024_0611_081500_F.MP4");

// As a mouse does it: a click, and a second press that the system makes a double-click.
void doubleClick(QWidget* widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
}

class LibraryViewWindowTest : public PlayerWindowTest
{
protected:
    QAbstractItemModel& model() const { return *dlg->libraryView()->tree()->model(); }

    // The first recording under the first day (within its trip), once it is shown.
    QModelIndex firstRecording() const
    {
        const QModelIndex day = model().index(0, 0);
        const QModelIndex trip = model().index(0, 0, day);
        return model().index(0, 0, trip);
    }

    // The first value the library gives for the statement; 0 when none.
    static qint64 storedValue(const QString& library, const QString& statement)
    {
        qint64 value = 0;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "value");
            db.setDatabaseName(library);
            QSqlQuery query(db);
            if (db.open() && query.exec(statement) && query.next()) {
                value = query.value(0).toLongLong();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("value"));
        return value;
    }

    // Every recording of the library stored as imported from the card.
    void markAsOnCard(const QString& library, const QString& label, const QString& uuid)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "mark");
            db.setDatabaseName(library);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
            ASSERT_TRUE(db.open());
            QSqlQuery query(db);
            query.prepare(
                QStringLiteral("UPDATE recordings SET card_label = :label, card_uuid = :uuid"));
            query.bindValue(QStringLiteral(":label"), label);
            query.bindValue(QStringLiteral(":uuid"), uuid);
            ASSERT_TRUE(query.exec()) << query.lastError().text().toStdString();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("mark"));
    }
};

TEST_F(LibraryViewWindowTest, ARecordingOfACardThatIsOutPlaysWhenTheCardArrivesElsewhere)
{
    const ScopedTimeZone zone("UTC0");
    QTemporaryDir data;
    const QString library = data.filePath(QStringLiteral("library.sqlite"));
    player_settings::setLibraryLocation(library);
    restartWindow();
    const QString card = folder.filePath(QStringLiteral("CARD"));
    ASSERT_TRUE(QDir(card).mkpath(QStringLiteral("DCIM/Movie")));
    ASSERT_TRUE(QFile::copy(samplePath("A7L"), card + "/DCIM/Movie/" + kRecordingName));
    chosenFolder = card;
    dlg->onImport();

    // The import reaches the library in the background; the view shows its day and trip.
    dlg->showLibrary();
    ASSERT_NE(dlg->libraryView(), nullptr);
    ASSERT_TRUE(waitFor(
        [&] {
            dlg->showLibrary();  // read afresh until the import is in
            spin(100);
            return model().rowCount() == 1;
        },
        20000))
        << dlg->libraryView()->stateText().toStdString();
    EXPECT_TRUE(model().index(0, 0).data().toString().startsWith("2024-06-11 Tue"))
        << model().index(0, 0).data().toString().toStdString();
    dlg->libraryView()->tree()->expand(model().index(0, 0));
    ASSERT_TRUE(waitFor([&] { return firstRecording().isValid(); }, 5000));
    const QModelIndex trip = firstRecording().parent();
    EXPECT_TRUE(trip.data().toString().startsWith("Trip 08:15 - ") &&
                trip.data().toString().endsWith(", 1 recording"))
        << trip.data().toString().toStdString();
    EXPECT_TRUE(firstRecording().data().toString().endsWith(kRecordingName))
        << firstRecording().data().toString().toStdString();

    // The card is pulled: the recording, stored as the card's, says where it is.
    markAsOnCard(library, QStringLiteral("DASHCAM"), QStringLiteral("1234-ABCD"));
    QTemporaryDir pulled;
    const QString away = pulled.filePath(QStringLiteral("CARD"));
    ASSERT_TRUE(QDir().rename(card, away));
    dlg->showLibrary();
    const auto notInserted = [&] {
        return firstRecording().data().toString().endsWith(kRecordingName +
                                                           "  (on card DASHCAM, not inserted)");
    };
    ASSERT_TRUE(waitFor(notInserted, 5000)) << firstRecording().data().toString().toStdString();

    // Selected, its details and its stored track show; the map draws the track.
    const int tracksBefore = mapCallCount(QStringLiteral("setTrip"));
    QTreeView* tree = dlg->libraryView()->tree();
    tree->setCurrentIndex(firstRecording());
    EXPECT_TRUE(dlg->libraryView()->detailsText().contains("Card: DASHCAM (1234-ABCD)"));
    EXPECT_TRUE(dlg->libraryView()->detailsText().contains("on card DASHCAM, not inserted"));
    ASSERT_TRUE(
        waitFor([&] { return mapCallCount(QStringLiteral("setTrip")) > tracksBefore; }, 5000));
    EXPECT_GT(last(QStringLiteral("setTrip"))->arguments.size(), 3) << "the track's points";

    // A double-click asks for the card; nothing plays yet.
    tree->scrollTo(firstRecording());
    doubleClick(tree->viewport(), tree->visualRect(firstRecording()).center());
    EXPECT_TRUE(statusText().contains("on card DASHCAM: insert it")) << statusText().toStdString();
    EXPECT_NE(dlg->session().state(), PlayState::Running);

    // So does a recording found by a question: it waits for the card with its moment.
    const qint64 askedMs =
        storedValue(library, QStringLiteral("SELECT start_utc_ms FROM recordings")) + 3000;
    dlg->showWhereAt();
    LibraryDialog* dialog = dlg->whereAtDialog();
    ASSERT_TRUE(dialog);
    dialog->momentEdit()->setDateTime(QDateTime::fromMSecsSinceEpoch(askedMs));
    dialog->findChild<QPushButton*>(QStringLiteral("find"))->click();
    ASSERT_TRUE(waitFor([&] { return !dialog->searching(); }, 10000));
    ASSERT_EQ(dialog->hits().size(), 1u) << dialog->stateText().toStdString();
    dialog->findChild<QPushButton*>(QStringLiteral("play"))->click();
    EXPECT_TRUE(statusText().contains("on card DASHCAM: insert it")) << statusText().toStdString();

    // The card arrives at another mount point: the same path below its root plays.
    const QString mounted = QDir(mountRoot.path()).filePath(QStringLiteral("SDCARD"));
    volumeIdentities.insert(mounted, {QStringLiteral("DASHCAM"), QStringLiteral("1234-ABCD")});
    ASSERT_TRUE(QDir().rename(away, mounted));
    const QString moved = mounted + "/DCIM/Movie/" + kRecordingName;
    ASSERT_TRUE(waitFor(
        [&] {
            return dlg->session().state() == PlayState::Running &&
                   QString::fromStdString(dlg->session().openFile()) == moved;
        },
        10000))
        << statusText().toStdString();
    EXPECT_NEAR(dlg->session().position(), 3.0, 1.0) << "from the asked moment";
    ASSERT_TRUE(
        waitFor([&] { return firstRecording().data().toString().contains("at " + mounted); }, 5000))
        << firstRecording().data().toString().toStdString();
}

TEST_F(LibraryViewWindowTest, ADamagedLibraryIsFilledAgainFromThePlayList)
{
    dlg->onImport();
    const int listed = dlg->session().catalogue().count();
    ASSERT_GT(listed, 0);
    QTemporaryDir data;
    const QString library = data.filePath(QStringLiteral("library.sqlite"));
    {
        QFile damaged(library);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray("SQLite format 3\0", 16) + QByteArray(8192, '\x5a'));
    }
    player_settings::setLibraryLocation(library);
    restartWindow();
    ASSERT_TRUE(waitFor([&] { return statusText().contains("filled again"); }, 10000))
        << statusText().toStdString();
    EXPECT_TRUE(waitFor(
        [&] {
            return storedValue(library, QStringLiteral("SELECT count(*) FROM recordings")) ==
                   listed;
        },
        20000));
}

}  // namespace
