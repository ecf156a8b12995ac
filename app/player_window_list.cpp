// The player window's play list: import, card discovery, moving through the list,
// delete and lock.
#include "app/player_window.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

#include "app/player_settings.h"
#include "controls/playlist_view.h"
#include "controls/skin_button.h"
#include "playback/channels_view.h"
#include "session/recording_sources.h"

namespace {

constexpr int kDeleteCommand = 32772;
constexpr int kLockCommand = 32774;
constexpr int kExportCommand = 32776;
constexpr int kCardOfferShownMs = 30000;  // an offer waits longer than a note

}  // namespace

void PlayerWindow::onImport()
{
    const QString folder = m_services.chooseFolder
                               ? m_services.chooseFolder(this, player_settings::importFolder())
                               : QString();
    if (!folder.isEmpty()) {
        m_session.importFolder(QFile::encodeName(folder).toStdString());
        player_settings::setImportFolder(folder);
    }
}

void PlayerWindow::importPaths(const QStringList& paths)
{
    m_session.importPaths(paths);
}

void PlayerWindow::discoverCard()
{
    m_cardDiscovery.stop();
    if (m_services.volumes) {
        m_session.importCard(*m_services.volumes);
    }
}

void PlayerWindow::onCardArrived(const QString& path)
{
    m_offeredCard = path;
    showStatus(QStringLiteral("A camera card appeared at %1. Import it?").arg(path),
               kCardOfferShownMs);
    // A long path gives way in the middle, so that the link stays on the line.
    const QString link = QStringLiteral("Import it");
    const QString plain = QStringLiteral("A camera card appeared at . ") + link;
    const QFontMetrics metrics = m_statusLine->fontMetrics();
    const QString shown = metrics.elidedText(
        path, Qt::ElideMiddle, m_statusLine->width() - metrics.horizontalAdvance(plain));
    m_statusLine->setTextFormat(Qt::RichText);
    m_statusLine->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    m_statusLine->setText(QStringLiteral("A camera card appeared at %1. <a href=\"import\" "
                                         "style=\"color:#ecc45c\">%2</a>")
                              .arg(shown.toHtmlEscaped(), link));
}

void PlayerWindow::importOfferedCard()
{
    if (m_offeredCard.isEmpty()) {
        return;
    }
    m_session.importCard(FixedVolumes({QFile::encodeName(m_offeredCard).toStdString()}));
    m_offeredCard.clear();
    m_statusLine->hide();
}

// A card pulled out under a recording it holds: playback stops cleanly, nothing stays.
void PlayerWindow::onVolumeRemoved(const QString& path)
{
    if (path == m_offeredCard) {
        m_offeredCard.clear();
        m_statusLine->hide();
    }
    m_session.volumeRemoved(path);
}

// The window as it was at start: an empty list and the idle picture.
void PlayerWindow::onClear()
{
    m_session.clear();
    m_firstRecordingOpened = false;
    m_videoArea->hide();
    update(m_videoArea->geometry());
}

// The list of the last run, with the recording that was open selected but not playing.
void PlayerWindow::restorePlayList()
{
    const player_settings::PlayList saved = player_settings::playList();
    const int row = m_session.restoreList(saved.files, saved.open);
    m_playlistView->selectExistingRow(row);
}

// Kept after every change, so that a session that ends in any way leaves its list.
void PlayerWindow::savePlayList()
{
    player_settings::PlayList list;
    const PlaylistCatalogue& catalogue = m_session.catalogue();
    list.files.reserve(static_cast<size_t>(catalogue.count()));
    for (int row = 0; row < catalogue.count(); ++row) {
        list.files.push_back(catalogue.entryAt(row).filePath);
    }
    list.open = m_session.openFile();
    player_settings::setPlayList(list);
}

void PlayerWindow::onListChanged()
{
    savePlayList();
}

void PlayerWindow::onCycle()
{
    m_session.setCycleMode(!m_session.cycleMode());
}

void PlayerWindow::onListDoubleClick(int row)
{
    m_session.activateRow(row);
}

int PlayerWindow::selectedRow() const
{
    return m_playlistView->selectedRow();
}

void PlayerWindow::showEntry(int row)
{
    m_playlistView->setFocus();
    m_playlistView->selectExistingRow(row);
}

// A right-click selects the row under the pointer first, as list views do everywhere, and
// the commands act on that row; on empty space there is no file to act on.
void PlayerWindow::showListMenu(const QPoint& viewportPos)
{
    const QModelIndex index = m_playlistView->indexAt(viewportPos);
    if (!index.isValid()) {
        return;
    }
    m_playlistView->selectExistingRow(index.row());
    QMenu menu(this);
    QAction* remove = menu.addAction(QStringLiteral("Delete file from disk"));
    remove->setData(kDeleteCommand);
    QAction* lock = menu.addAction(QStringLiteral("Lock/UnLock current file"));
    lock->setData(kLockCommand);
    QAction* exportTrack = menu.addAction(QStringLiteral("Export track..."));
    exportTrack->setData(kExportCommand);
    QAction* exportClip = menu.addAction(QStringLiteral("Export clip..."));
    const QAction* chosen = menu.exec(m_playlistView->viewport()->mapToGlobal(viewportPos));
    if (chosen == remove) {
        onDeleteFile();
    } else if (chosen == lock) {
        onToggleLock();
    } else if (chosen == exportTrack) {
        onExportTrack();
    } else if (chosen == exportClip) {
        onExportClip();
    }
}

void PlayerWindow::onDeleteFile()
{
    m_session.deleteRecording(selectedRow(), [this](const QString& name) {
        return m_services.confirm &&
               m_services.confirm(this, QStringLiteral("Delete %1 from the disk?").arg(name));
    });
}

void PlayerWindow::onToggleLock()
{
    m_session.toggleLock(selectedRow());
}
