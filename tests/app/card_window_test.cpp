// Cards that arrive while the player runs, and where a card's snapshots go, through the window.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tests/app/window_fixture.h"

namespace {

// A filesystem mounted for the test, unmounted when it ends, pass or fail.
class Mount
{
public:
    Mount(const char* source, const QString& target, const char* type, unsigned long flags)
        : m_target(QFile::encodeName(target))
    {
        m_mounted = ::mount(source, m_target.constData(), type, flags, nullptr) == 0;
        m_error = errno;
    }
    ~Mount() { unmount(); }
    void unmount()
    {
        if (m_mounted) {
            ::umount2(m_target.constData(), MNT_DETACH);
            m_mounted = false;
        }
    }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;
    bool mounted() const { return m_mounted; }
    std::string error() const { return std::strerror(m_error); }

private:
    QByteArray m_target;
    bool m_mounted = false;
    int m_error = 0;
};

// Where a user's pointer finds the status line's link: the cursor turns to a hand over it.
QPoint linkPosition(QLabel* line)
{
    QString hovered;
    const auto connection =
        QObject::connect(line, &QLabel::linkHovered, [&](const QString& link) { hovered = link; });
    QPoint found(-1, -1);
    for (int x = line->width() - 1; x >= 0 && found.x() < 0; x -= 2) {
        QTest::mouseMove(line, QPoint(x, line->height() / 2));
        if (!hovered.isEmpty()) {
            found = QPoint(x, line->height() / 2);
        }
    }
    QObject::disconnect(connection);
    return found;
}

class CardWindowTest : public PlayerWindowTest
{
protected:
    QLabel* statusLine() const { return dlg->findChild<QLabel*>(QStringLiteral("statusLine")); }

    bool offered(const QString& card) const
    {
        return statusShown() &&
               statusText() == "A camera card appeared at " + card + ". Import it?";
    }

    // A click on "Import it", as the user does it.
    void clickImportIt()
    {
        const QPoint at = linkPosition(statusLine());
        ASSERT_GE(at.x(), 0) << "no link on the status line";
        QTest::mouseClick(statusLine(), Qt::LeftButton, Qt::NoModifier, at);
    }

    // The sample recording, named as a camera of today names it, in the card's DCIM/Movie.
    void putRecording(const QString& card)
    {
        ASSERT_TRUE(QDir(card).mkpath("DCIM/Movie"));
        ASSERT_TRUE(QFile::copy(samplePath("A7L"), card + "/DCIM/Movie/2024_0611_081500_F.MP4"));
    }
};

TEST_F(CardWindowTest, AFolderMadeEmptyIsOfferedOnceItHoldsRecordingsAndImportItImportsIt)
{
    const QString card = QDir(mountRoot.path()).filePath("CARD");
    ASSERT_TRUE(QDir().mkdir(card));
    ASSERT_TRUE(QDir(card).mkpath("DCIM/Movie"));
    spin(800);
    EXPECT_FALSE(statusShown()) << "folders without recordings are not offered yet";

    putRecording(card);
    ASSERT_TRUE(waitFor([&] { return offered(card); }, 5000)) << statusText().toStdString();
    EXPECT_EQ(dlg->session().catalogue().count(), 0) << "offered, not imported unasked";
    clickImportIt();
    ASSERT_EQ(dlg->session().catalogue().count(), 1);
    RecordingEntry entry;
    ASSERT_TRUE(dlg->session().catalogue().entryAt(0, entry));
    EXPECT_EQ(QString::fromStdString(entry.filePath), card + "/DCIM/Movie/2024_0611_081500_F.MP4");
    EXPECT_FALSE(statusShown());
}

// As the desktop's disk service does it: the mount point is made empty, then a filesystem
// that already holds the recordings is mounted on it.
TEST_F(CardWindowTest, AFilesystemMountedOnAnEmptyFolderIsOffered)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting a filesystem needs root";
    }
    QTemporaryDir staging;
    const Mount filled("card-test", staging.path(), "tmpfs", 0);
    ASSERT_TRUE(filled.mounted()) << filled.error();
    putRecording(staging.path());
    const QString card = QDir(mountRoot.path()).filePath("CARD");
    ASSERT_TRUE(QDir().mkdir(card));
    spin(800);
    EXPECT_FALSE(statusShown()) << "an empty mount point is no card";

    Mount bound(QFile::encodeName(staging.path()).constData(), card, nullptr, MS_BIND);
    ASSERT_TRUE(bound.mounted()) << bound.error();
    ASSERT_TRUE(waitFor([&] { return offered(card); }, 5000)) << statusText().toStdString();
    clickImportIt();
    ASSERT_EQ(dlg->session().catalogue().count(), 1);

    // Pulled out: the empty folder stays, as it does until the disk service removes it.
    playRow(0);
    bound.unmount();
    ASSERT_TRUE(waitFor([&] { return dlg->session().state() == PlayState::Closed; }, 5000));
    EXPECT_EQ(statusText(), "The card at " + card + " was removed; playback stopped.");
}

// A card's folder is remembered only once the user saved there; the first picture is
// offered to the pictures folder, and that folder exists, so that the dialog can open in it
// instead of the last folder any dialog showed (the recordings).
TEST_F(CardWindowTest, TheFirstSnapshotDialogOpensInThePicturesFolder)
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    ASSERT_TRUE(QDir(pictures).removeRecursively());
    dlg->onImport();
    playRow(0);
    dlg->onCapture();
    ASSERT_EQ(snapshotStarts.size(), 1);
    const std::string expected = QDir(pictures).absolutePath().toStdString();
    EXPECT_EQ(QFileInfo(snapshotStarts[0]).absolutePath().toStdString(), expected);
    QFileDialog dialog(nullptr, QString(), snapshotStarts[0]);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(dialog.directory().absolutePath().toStdString(), expected);
}

}  // namespace
