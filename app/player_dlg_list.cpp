// The player window's play list: import, card discovery, moving through the list,
// delete and lock.
#include "player_dlg.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

#include "player_settings.h"
#include "png_button.h"
#include "recording_sources.h"
#include "skin_list.h"

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
        m_session.importFolder(QFile::encodeName(folder).toStdString());
        player_settings::SetImportFolder(folder);
    }
}

void CPlayerDlg::ImportPaths(const QStringList& paths)
{
    m_session.importPaths(paths);
}

void CPlayerDlg::DiscoverCard()
{
    m_cardDiscovery.stop();
    if (services.volumes) {
        m_session.importCard(*services.volumes);
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
    m_session.importCard(CFixedVolumes({QFile::encodeName(offeredCard).toStdString()}));
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
    m_session.volumeRemoved(path);
}

void CPlayerDlg::OnClear()
{
    m_session.clear();
}

void CPlayerDlg::OnCycle()
{
    m_session.setCycleMode(!m_session.cycleMode());
}

void CPlayerDlg::OnListDoubleClick(int row)
{
    m_session.playEntry(row);
}

int CPlayerDlg::SelectedRow() const
{
    return playList->GetSelectedRow();
}

void CPlayerDlg::showEntry(int row)
{
    playList->setFocus();
    playList->SelectRow(row);
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
    m_session.deleteRecording(SelectedRow(), [this](const QString& name) {
        return services.confirm && services.confirm(this, QStringLiteral("Delete %1 from the disk?").arg(name));
    });
}

void CPlayerDlg::OnToggleLock()
{
    m_session.toggleLock(SelectedRow());
}
