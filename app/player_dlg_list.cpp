// The player window's play list: import, card discovery, moving through the list,
// delete and lock.
#include "player_dlg.h"

#include <QFileInfo>
#include <QMenu>

#include "file_attributes.h"
#include "png_button.h"
#include "recording_sources.h"
#include "skin_list.h"
#include "wave_form_ctrl.h"

namespace {

constexpr int kDeleteCommand = 32772;
constexpr int kLockCommand = 32774;

}  // namespace

void CPlayerDlg::OnImport()
{
    const QString folder = services.chooseFolder ? services.chooseFolder(this) : QString();
    if (!folder.isEmpty()) {
        ImportFolder(folder.toStdString(), catalogue);
    }
}

void CPlayerDlg::ImportPaths(const QStringList& paths)
{
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            ImportFolder(info.absoluteFilePath().toStdString(), catalogue);
            continue;
        }
        const std::string file = info.absoluteFilePath().toStdString();
        const std::string ext = UpperExtension(file);
        if (info.isFile() && IsRecordingExtension(ext)) {
            catalogue.AddFile(file, info.fileName().toStdString(), ext);
        }
    }
    // A single file given is also played, as a double-click on it would.
    if (paths.size() == 1 && QFileInfo(paths.front()).isFile() && catalogue.GetCount() > 0) {
        currentIndex = catalogue.GetCount() - 1;
        playRecording(Current);
    }
}

void CPlayerDlg::DiscoverCard()
{
    timer3.stop();
    if (services.volumes) {
        ImportCard(*services.volumes, catalogue);
    }
}

void CPlayerDlg::OnClear()
{
    if (engine.state() == PlayState::Paused || engine.state() == PlayState::Running) {
        userStop();
    }
    catalogue.RemoveAll();
}

void CPlayerDlg::OnCycle()
{
    cycleMode = !cycleMode;
    cycleButton->SetImage(cycleMode ? 149 : 154);
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

void CPlayerDlg::ShowListMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    QAction* remove = menu.addAction(QStringLiteral("Delete file from disk"));
    remove->setData(kDeleteCommand);
    QAction* lock = menu.addAction(QStringLiteral("Lock/UnLock current file"));
    lock->setData(kLockCommand);
    const QAction* chosen = menu.exec(globalPos);
    if (chosen == remove) {
        OnDeleteFile();
    } else if (chosen == lock) {
        OnToggleLock();
    }
}

void CPlayerDlg::OnDeleteFile()
{
    const int row = SelectedRow();
    tagFileNode node;
    if (row < 0 || catalogue.GetAt(row, node) != 0) {
        return;
    }
    // A locked recording stays, and so does everything that shows it.
    const auto attributes = ReadFileAttributes(node.strFilePath);
    if (attributes && attributes->bReadOnly) {
        ShowStatus(QStringLiteral("The recording is locked."));
        return;
    }
    if (row == currentIndex && engine.state() != PlayState::Stopped) {
        userStop();
        engine.close();
        waveform->Reset();
        if (mapView) {
            mapView->SetLgtLat(QString(), QString(), QString());
        }
    }
    if (catalogue.DeleteFileAt(row) != 0) {
        ShowStatus(QStringLiteral("The recording could not be deleted."));
        return;
    }
    if (currentIndex >= row && currentIndex > 0) {
        --currentIndex;
    }
}

void CPlayerDlg::OnToggleLock()
{
    const int row = SelectedRow();
    if (row >= 0) {
        catalogue.ToggleLock(row);
    }
}
