#pragma once

#include <QHash>
#include <QString>

#include <vector>

#include "library/library.h"

// The cards mounted now: each filesystem UUID with the folder it is mounted on.
using MountedCards = QHash<QString, QString>;

// Where a library's recording is now, and whether it can be played.
enum class PlaceState {
    Present,     // at its stored path
    OnCard,      // its card is mounted elsewhere: found below the card's new mount point
    CardAbsent,  // its card is not inserted
    Missing,     // gone from where it was (deleted, or its card holds it no more)
};

struct PlacedRecording
{
    LibraryRecording recording;
    PlaceState state = PlaceState::Present;
    QString path;  // where it plays: the stored path, or below the card's mount point
};

// Looks at the disk: the stored path, else the same path below the root of its card when
// that card is mounted. A card is taken as not inserted when the recording's folder is gone
// too (a file deleted from a folder still there is missing).
PlacedRecording placeRecording(const LibraryRecording& recording, const MountedCards& cards);

// The file of the recording below a card's mount point: the longest tail of its stored
// path found there with the stored size; empty when none is.
QString findBelowCard(const LibraryRecording& recording, const QString& cardRoot);

// "on card LABEL, not inserted" and the like; empty for a recording that is present.
QString placeText(const PlacedRecording& placed);
// The card's name for the user: its label, else its UUID.
QString cardName(const LibraryRecording& recording);
