// The player window's play list: import, card discovery, moving through the list,
// delete and lock.
#include "player_dlg.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

#include "file_attributes.h"
#include "file_name.h"
#include "player_settings.h"
#include "png_button.h"
#include "recording_sources.h"
#include "skin_list.h"
#include "wave_form_ctrl.h"

namespace {

constexpr int kDeleteCommand = 32772;
constexpr int kLockCommand = 32774;
constexpr int kExportCommand = 32776;
constexpr int kCardOfferShownMs = 30000;  // an offer waits longer than a note

}  // namespace

void CPlayerDlg::OnImport()
{
    const QString folder =
        services.chooseFolder ? services.chooseFolder(this, player_settings::ImportFolder()) : QString();
    if (!folder.isEmpty()) {
        ImportFolder(QFile::encodeName(folder).toStdString(), catalogue);
        player_settings::SetImportFolder(folder);
        RefreshTrips();
    }
}

void CPlayerDlg::ImportPaths(const QStringList& paths)
{
    QStringList skipped;
    int played = -1;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            ImportFolder(QFile::encodeName(info.absoluteFilePath()).toStdString(), catalogue);
            continue;
        }
        const std::string file = QFile::encodeName(info.absoluteFilePath()).toStdString();
        const std::string ext = upperExtension(file);
        const char* problem = !info.exists()              ? "no such file"
                              : !IsRegularFile(file)       ? "not a regular file"
                              : !isRecordingExtension(ext) ? "not a recording"
                                                           : nullptr;
        if (problem) {
            skipped << QStringLiteral("%1 (%2)").arg(info.fileName(), QLatin1String(problem));
        } else if (catalogue.AddFile(file, info.fileName().toStdString(), ext) >= 0) {
            played = catalogue.GetCount() - 1;
        }
    }
    RefreshTrips();
    if (!skipped.isEmpty()) {
        const QString note = QStringLiteral("Skipped: %1").arg(skipped.join(QStringLiteral(", ")));
        ShowStatus(note);
        qWarning("%s", qPrintable(note));
    }
    // A single file given is also played, as a double-click on it would.
    if (paths.size() == 1 && played >= 0) {
        currentIndex = played;
        playRecording(Current);
    }
}

void CPlayerDlg::DiscoverCard()
{
    timer3.stop();
    if (services.volumes) {
        ImportCard(*services.volumes, catalogue);
        RefreshTrips();
    }
}

void CPlayerDlg::OnVolumeMounted(const QString& path)
{
    CardRoot card;
    if (!FindCardRoot({QFile::encodeName(path).toStdString()}, card)) {
        return;  // a stick of holiday photos, not a camera's card
    }
    offeredCard = path;
    ShowStatus(QStringLiteral("A camera card appeared at %1. Import it?").arg(path), kCardOfferShownMs);
    statusLine->setTextFormat(Qt::RichText);
    statusLine->setText(QStringLiteral("A camera card appeared at %1. <a href=\"import\" style=\"color:#ecc45c\">Import it</a>")
                            .arg(path.toHtmlEscaped()));
}

void CPlayerDlg::ImportOfferedCard()
{
    if (offeredCard.isEmpty()) {
        return;
    }
    ImportCard(CFixedVolumes({QFile::encodeName(offeredCard).toStdString()}), catalogue);
    RefreshTrips();
    offeredCard.clear();
    statusLine->hide();
}

// A card pulled out under a recording it holds: playback stops cleanly, nothing stays.
void CPlayerDlg::OnVolumeRemoved(const QString& path)
{
    if (path == offeredCard) {
        offeredCard.clear();
        statusLine->hide();
    }
    const std::string root = QFile::encodeName(path).toStdString() + "/";
    if (engine.state() == PlayState::Init || engine.filePath().compare(0, root.size(), root) != 0) {
        return;
    }
    userStop();
    engine.close();
    telemetry.Clear();
    ResetDisplays();
    ShowStatus(QStringLiteral("The card at %1 was removed; playback stopped.").arg(path));
}

void CPlayerDlg::OnClear()
{
    if (engine.state() == PlayState::Paused || engine.state() == PlayState::Running) {
        userStop();
    }
    catalogue.RemoveAll();
    RefreshTrips();
}

void CPlayerDlg::OnCycle()
{
    cycleMode = !cycleMode;
    cycleButton->SetImage(cycleMode ? 149 : 154);
    player_settings::SetCycleMode(cycleMode != 0);
}

void CPlayerDlg::OnListDoubleClick(int row)
{
    if (row < 0) {
        return;
    }
    currentIndex = row;
    playRecording(Current);
}

int CPlayerDlg::SelectedRow() const
{
    return playList->GetSelectedRow();
}

void CPlayerDlg::SelectCurrentRow()
{
    playList->setFocus();
    playList->SelectRow(currentIndex);
}

// A right-click selects the row under the pointer first, as list views do everywhere, and
// the commands act on that row; on empty space there is no file to act on.
void CPlayerDlg::ShowListMenu(const QPoint& viewportPos)
{
    const QModelIndex index = playList->indexAt(viewportPos);
    if (!index.isValid()) {
        return;
    }
    playList->SelectRow(index.row());
    QMenu menu(this);
    QAction* remove = menu.addAction(QStringLiteral("Delete file from disk"));
    remove->setData(kDeleteCommand);
    QAction* lock = menu.addAction(QStringLiteral("Lock/UnLock current file"));
    lock->setData(kLockCommand);
    QAction* exportTrack = menu.addAction(QStringLiteral("Export track..."));
    exportTrack->setData(kExportCommand);
    const QAction* chosen = menu.exec(playList->viewport()->mapToGlobal(viewportPos));
    if (chosen == remove) {
        OnDeleteFile();
    } else if (chosen == lock) {
        OnToggleLock();
    } else if (chosen == exportTrack) {
        OnExportTrack();
    }
}

void CPlayerDlg::OnDeleteFile()
{
    const int row = SelectedRow();
    tagFileNode node;
    if (row < 0 || catalogue.GetAt(row, node) != 0) {
        return;
    }
    const QString name = QString::fromStdString(node.strFileName);
    // A locked recording stays, and so does everything that shows it.
    const auto attributes = ReadFileAttributes(node.strFilePath);
    if (attributes && attributes->bReadOnly) {
        ShowStatus(QStringLiteral("The recording is locked."));
        return;
    }
    if (!services.confirm || !services.confirm(this, QStringLiteral("Delete %1 from the disk?").arg(name))) {
        return;
    }
    if (row == currentIndex && engine.state() != PlayState::Init) {
        userStop();
        engine.close();
        telemetry.Clear();
        ResetDisplays();
    }
    if (catalogue.DeleteFileAt(row) != 0) {
        ShowStatus(QStringLiteral("%1 could not be deleted.").arg(name));
        return;
    }
    if (currentIndex >= row && currentIndex > 0) {
        --currentIndex;
    }
    RefreshTrips();
}

void CPlayerDlg::OnToggleLock()
{
    const int row = SelectedRow();
    tagFileNode node;
    if (row < 0 || catalogue.GetAt(row, node) != 0) {
        return;
    }
    if (catalogue.ToggleLock(row) != 0) {
        ShowStatus(QStringLiteral("The file system refused to %1 %2.")
                       .arg(node.bLocked ? QStringLiteral("unlock") : QStringLiteral("lock"),
                            QString::fromStdString(node.strFileName)));
    }
}
