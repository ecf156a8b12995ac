#include "app/library_places.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool isStoredFile(const QString& path, std::int64_t size)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() == size;
}

}  // namespace

QString findBelowCard(const LibraryRecording& recording, const QString& cardRoot)
{
    // The card's old mount point is not known: its tails are tried, longest first, so that
    // a file of the same name higher up the card is not taken for it.
    const QStringList parts = recording.path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype first = 0; first < parts.size(); ++first) {
        const QString candidate =
            QDir(cardRoot).filePath(parts.sliced(first).join(QLatin1Char('/')));
        if (isStoredFile(candidate, recording.size)) {
            return candidate;
        }
    }
    return {};
}

PlacedRecording placeRecording(const LibraryRecording& recording, const MountedCards& cards)
{
    PlacedRecording placed{recording, PlaceState::Present, recording.path};
    if (QFileInfo(recording.path).isFile()) {
        return placed;
    }
    placed.path.clear();
    if (recording.cardUuid.isEmpty()) {
        placed.state = PlaceState::Missing;
        return placed;
    }
    if (const auto card = cards.constFind(recording.cardUuid); card != cards.constEnd()) {
        placed.path = findBelowCard(recording, *card);
        placed.state = placed.path.isEmpty() ? PlaceState::Missing : PlaceState::OnCard;
        return placed;
    }
    placed.state =
        QFileInfo(recording.path).dir().exists() ? PlaceState::Missing : PlaceState::CardAbsent;
    return placed;
}

QString cardName(const LibraryRecording& recording)
{
    return recording.cardLabel.isEmpty() ? recording.cardUuid : recording.cardLabel;
}

QString placeText(const PlacedRecording& placed)
{
    switch (placed.state) {
    case PlaceState::Present: return {};
    case PlaceState::OnCard:
        return QStringLiteral("on card %1 at %2").arg(cardName(placed.recording), placed.path);
    case PlaceState::CardAbsent:
        return QStringLiteral("on card %1, not inserted").arg(cardName(placed.recording));
    case PlaceState::Missing: break;
    }
    return QStringLiteral("missing");
}
