// The window's library questions over a real library of the sample recordings.
#include <QFile>
#include <QFileInfo>

#include "tests/app/window_fixture.h"

namespace {

// The samples are slices of one drive, kSampleSeconds each, in this order, logged each
// second from 2024-06-11 08:15:00 UTC on.
constexpr qint64 kDriveStartMs = 1718093700000;
constexpr int kSampleSeconds = 4;
constexpr int kNt96650Slice = 2;

using LibraryWindowTest = PlayerWindowTest;

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

}  // namespace
