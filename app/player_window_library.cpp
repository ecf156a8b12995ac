// The player window's library: every import added to it on its worker, its location, and
// its view, whose recordings show on the map and play, from a card that is not in as soon
// as the card arrives.
#include "app/player_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/library_view.h"
#include "app/library_worker.h"
#include "app/player_settings.h"
#include "app/window_placement.h"

namespace {

constexpr int kLibraryNoteShownMs = 10000;

}  // namespace

void PlayerWindow::setUpLibrary()
{
    m_library = std::make_unique<LibraryWorker>();
    connect(m_library.get(), &LibraryWorker::opened, this, &PlayerWindow::showLibraryOpening);
    connect(m_library.get(), &LibraryWorker::imported, this, &PlayerWindow::onLibraryImported);
    m_library->open(player_settings::libraryLocation());
}

QString PlayerWindow::libraryLocation() const
{
    const QString location = player_settings::libraryLocation();
    return location.isEmpty() ? Library::defaultPath() : location;
}

void PlayerWindow::addToLibrary(const QStringList& paths)
{
    if (m_library && !paths.isEmpty()) {
        m_library->import(paths);
    }
}

void PlayerWindow::showLibraryOpening(const QString& location, const LibraryOpening& opening)
{
    const QString shown = location.isEmpty() ? Library::defaultPath() : location;
    if (!opening.ok) {
        showStatus(QStringLiteral("The library %1 cannot be opened: %2").arg(shown, opening.error),
                   kLibraryNoteShownMs);
    } else if (opening.startedAnew) {
        rebuildLibrary();
        showStatus(QStringLiteral("Library: %1, and filled again from the play list and the "
                                  "cards inserted.")
                       .arg(opening.note),
                   kLibraryNoteShownMs);
    } else if (!opening.note.isEmpty()) {
        showStatus(QStringLiteral("Library: %1").arg(opening.note), kLibraryNoteShownMs);
    } else if (opening.readOnly) {
        showStatus(
            QStringLiteral("The library %1 is read-only: imports are not added to it.").arg(shown),
            kLibraryNoteShownMs);
    }
}

// A library started anew after damage takes back every recording the player can reach.
void PlayerWindow::rebuildLibrary()
{
    QStringList paths;
    const PlaylistCatalogue& catalogue = m_session.catalogue();
    for (int row = 0; row < catalogue.count(); ++row) {
        for (const ChannelEntry& channel : catalogue.entryAt(row).channels) {
            paths << QFile::decodeName(channel.filePath.c_str());
        }
    }
    const MountedCards cards = mountedCards();
    for (const QString& root : cards) {
        paths << root;
    }
    addToLibrary(paths);
}

void PlayerWindow::onLibraryImported(const ImportSummary& summary)
{
    if (!summary.error.isEmpty()) {
        showStatus(
            QStringLiteral("The library did not take all of the import: %1").arg(summary.error),
            kLibraryNoteShownMs);
    }
    if (m_libraryView && m_libraryView->isVisible() && summary.read > 0) {
        m_libraryView->load(player_settings::libraryLocation());
    }
}

void PlayerWindow::chooseLibraryLocation()
{
    if (!m_services.chooseLibraryLocation) {
        return;
    }
    const QString chosen = m_services.chooseLibraryLocation(this, libraryLocation());
    if (chosen.isEmpty() || chosen == libraryLocation()) {
        return;
    }
    player_settings::setLibraryLocation(chosen);
    m_library->open(chosen);
    if (m_libraryView) {
        m_libraryView->load(chosen);
    }
}

void PlayerWindow::showLibrary()
{
    if (!m_libraryView) {
        m_libraryView = new LibraryView([this] { return mountedCards(); }, this);
        connect(m_libraryView, &LibraryView::trackChosen, this, &PlayerWindow::showLibraryTrack);
        connect(m_libraryView, &LibraryView::playAsked, this, [this](const PlacedRecording& shown) {
            playLibraryRecording(shown.recording, std::nullopt);
        });
        placeBeside(m_libraryView, this);
    }
    m_libraryView->load(player_settings::libraryLocation());
    m_libraryView->show();
    m_libraryView->raise();
    m_libraryView->activateWindow();
}

LibraryView* PlayerWindow::libraryView() const
{
    return m_libraryView;
}

MountedCards PlayerWindow::mountedCards() const
{
    QStringList roots(m_arrivedCards.cbegin(), m_arrivedCards.cend());
    if (m_services.volumes) {
        for (const std::string& root : m_services.volumes->rootPaths()) {
            roots << QFile::decodeName(root.c_str());
        }
    }
    MountedCards cards;
    for (const QString& root : roots) {
        const VolumeIdentity identity =
            m_services.identifyVolume ? m_services.identifyVolume(root) : VolumeIdentity();
        if (!identity.uuid.isEmpty()) {
            cards.insert(identity.uuid, QDir::cleanPath(root));
        }
    }
    return cards;
}

void PlayerWindow::showLibraryTrack(const StoredTrack& track)
{
    if (!m_mapView || track.points.empty()) {
        return;  // the map keeps what it shows
    }
    MapTrack part;
    part.reserve(track.points.size());
    for (const TrackPoint& p : track.points) {
        part.push_back({p.latitude, p.longitude});
    }
    m_mapView->setTrip({part}, 0);
}

// Placed again now: the card may have come or gone since the view read the day.
void PlayerWindow::playLibraryRecording(const LibraryRecording& recording,
                                        std::optional<qint64> utcMs)
{
    const PlacedRecording placed = placeRecording(recording, mountedCards());
    const QString name = QFileInfo(placed.recording.path).fileName();
    switch (placed.state) {
    case PlaceState::Present:
    case PlaceState::OnCard:
        m_awaitedRecording.reset();
        playFromLibrary(placed.path, utcMs);
        return;
    case PlaceState::CardAbsent:
        m_awaitedRecording = AwaitedRecording{placed.recording, utcMs};
        showStatus(QStringLiteral("%1 is on card %2: insert it, and it plays.")
                       .arg(name, cardName(placed.recording)),
                   kLibraryNoteShownMs);
        return;
    case PlaceState::Missing: break;
    }
    showStatus(QStringLiteral("%1 is no longer at %2.").arg(name, placed.recording.path),
               kLibraryNoteShownMs);
}

void PlayerWindow::playAwaitedRecording(const QString& arrivedRoot)
{
    if (!m_awaitedRecording || !m_services.identifyVolume ||
        m_services.identifyVolume(arrivedRoot).uuid != m_awaitedRecording->recording.cardUuid) {
        return;
    }
    const AwaitedRecording awaited = *m_awaitedRecording;
    const LibraryRecording& recording = awaited.recording;
    m_awaitedRecording.reset();
    const QString path = findBelowCard(recording, QDir::cleanPath(arrivedRoot));
    if (path.isEmpty()) {
        showStatus(QStringLiteral("Card %1 arrived without %2.")
                       .arg(cardName(recording), QFileInfo(recording.path).fileName()),
                   kLibraryNoteShownMs);
        return;
    }
    playFromLibrary(path, awaited.utcMs);
}

void PlayerWindow::libraryCardArrived(const QString& root)
{
    m_arrivedCards.insert(root);
    playAwaitedRecording(root);
    libraryCardsChanged();
}

void PlayerWindow::libraryCardRemoved(const QString& root)
{
    if (m_arrivedCards.remove(root)) {
        libraryCardsChanged();
    }
}

void PlayerWindow::libraryCardsChanged()
{
    if (m_libraryView) {
        m_libraryView->cardsChanged();
    }
}
