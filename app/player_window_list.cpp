// The player window's play list: import, card discovery, moving through the list,
// delete and lock.
#include "app/player_window.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QSettings>

#include "app/player_settings.h"
#include "controls/playlist_view.h"
#include "controls/skin_button.h"
#include "playback/channels_view.h"
#include "session/recording_sources.h"

namespace {

constexpr int kDeleteCommand = 32772;
constexpr int kLockCommand = 32774;
constexpr int kExportCommand = 32776;
constexpr int kRepairCommand = 32778;
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
        addToLibrary({folder});
    }
}

void PlayerWindow::importPaths(const QStringList& paths)
{
    m_session.importPaths(paths);
    addToLibrary(paths);
}

void PlayerWindow::discoverCard()
{
    m_cardDiscovery.stop();
    if (!m_services.volumes) {
        return;
    }
    m_session.importCard(*m_services.volumes);
    if (CardRoot card; findCardRoot(m_services.volumes->rootPaths(), card)) {
        addToLibrary({QFile::decodeName(card.root.c_str())});
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
    libraryCardArrived(path);
}

void PlayerWindow::importOfferedCard()
{
    if (m_offeredCard.isEmpty()) {
        return;
    }
    m_session.importCard(FixedVolumes({QFile::encodeName(m_offeredCard).toStdString()}));
    addToLibrary({m_offeredCard});
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
    libraryCardRemoved(path);
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
    m_savedList = saved;  // restoring may save the list again, as it is found
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
        for (const ChannelEntry& channel : catalogue.entryAt(row).channels) {
            list.files.push_back(channel.filePath);
        }
    }
    list.open = m_session.openFile();
    if (list.files == m_savedList.files && list.open == m_savedList.open) {
        return;
    }
    m_savedList = list;
    if (!player_settings::setPlayList(list)) {
        showStatus(QStringLiteral("The play list could not be saved: the settings file %1 "
                                  "cannot be written.")
                       .arg(QSettings().fileName()));
    }
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
// the commands act on that row; on empty space there is no file to act on, only the filter.
void PlayerWindow::showListMenu(const QPoint& viewportPos)
{
    const QModelIndex index = m_playlistView->indexAt(viewportPos);
    QMenu menu(this);
    QAction* remove = nullptr;
    QAction* lock = nullptr;
    QAction* exportTrack = nullptr;
    QAction* repair = nullptr;
    QAction* events = nullptr;
    QAction* exportClip = nullptr;
    if (index.isValid()) {
        m_playlistView->selectExistingRow(index.row());
        remove = menu.addAction(QStringLiteral("Delete file from disk"));
        remove->setData(kDeleteCommand);
        lock = menu.addAction(QStringLiteral("Lock/UnLock current file"));
        lock->setData(kLockCommand);
        exportTrack = menu.addAction(QStringLiteral("Export track..."));
        exportTrack->setData(kExportCommand);
        exportClip = menu.addAction(QStringLiteral("Export clip..."));
        events = menu.addAction(QStringLiteral("Events of this trip..."));
        if (rowLacksIndex(index.row())) {
            repair = menu.addAction(QStringLiteral("Repair a copy (the recording was cut off)"));
            repair->setData(kRepairCommand);
        }
        menu.addSeparator();
    }
    addEventsOnlyAction(menu);
    menu.addAction(QStringLiteral("Where was I at..."), this, &PlayerWindow::showWhereAt);
    const QAction* chosen = menu.exec(m_playlistView->viewport()->mapToGlobal(viewportPos));
    if (chosen == nullptr) {
        return;
    }
    if (chosen == remove) {
        onDeleteFile();
    } else if (chosen == lock) {
        onToggleLock();
    } else if (chosen == exportTrack) {
        onExportTrack();
    } else if (chosen == repair) {
        onRepairFile();
    } else if (chosen == events) {
        showEventsOf(index.row());
    } else if (chosen == exportClip) {
        onExportClip();
    }
}

void PlayerWindow::addEventsOnlyAction(QMenu& menu)
{
    QAction* filter = menu.addAction(QStringLiteral("Show events only"), this,
                                     [this](bool on) { setEventsOnly(on); });
    filter->setCheckable(true);
    filter->setChecked(eventsOnly());
}

// Only the recordings the camera marked as events; the rows keep their numbers.
void PlayerWindow::setEventsOnly(bool on)
{
    m_playlistView->setFilterRole(on ? PlaylistModel::EventRole : 0);
}

bool PlayerWindow::eventsOnly() const
{
    return m_playlistView->filterRole() == PlaylistModel::EventRole;
}

void PlayerWindow::onDeleteFile()
{
    m_session.deleteRecording(selectedRow(), [this](const QStringList& files) {
        const QString question = files.size() == 1
                                     ? QStringLiteral("Delete %1 from the disk?").arg(files.front())
                                     : QStringLiteral("Delete these %1 files from the disk?\n%2")
                                           .arg(files.size())
                                           .arg(files.join(QLatin1Char('\n')));
        return m_services.confirm && m_services.confirm(this, question);
    });
}

void PlayerWindow::onToggleLock()
{
    m_session.toggleLock(selectedRow());
}
