#pragma once

#include <QObject>

#include <string>
#include <unordered_set>
#include <vector>

#include "telemetry/recording_entry.h"

// The ordered list of recordings the player plays from. Every change is announced before
// and after it happens, so a model over the list can keep its views in step.
class PlaylistCatalogue : public QObject
{
    Q_OBJECT

public:
    explicit PlaylistCatalogue(QObject* parent = nullptr) : QObject(parent) {}

    // name empty: the last part of the path. ext: upper-case with its dot (".MOV"). A
    // recording already listed (the same file by its canonical path) is not added again:
    // false then.
    bool addFile(const std::string& path, const std::string& name, const std::string& ext);
    // A copy of the entry; false for an index out of range.
    bool entryAt(int index, RecordingEntry& out) const;
    int count() const { return static_cast<int>(m_entries.size()); }
    // The row of a file (by its canonical path); -1 when it is not listed.
    int rowOf(const std::string& path) const;
    // The entry of a valid index, without a copy.
    const RecordingEntry& entryAt(int index) const
    {
        return m_entries[static_cast<size_t>(index)].node;
    }
    void removeAll();
    // Deletes the movie, then its sidecar; the entry goes only when the movie is gone.
    // False when nothing was deleted (bad index, locked or undeletable movie).
    bool deleteFileAt(int index);
    // Makes the movie read-only, or writable again; false when the file did not change.
    bool toggleLock(int index);

signals:
    void entryAboutToBeAdded(int index);
    void entryAdded(int index);
    void entryAboutToBeRemoved(int index);
    void entryRemoved(int index);
    void aboutToBeCleared();
    void cleared();
    void lockChanged(int index);

private:
    struct Entry
    {
        RecordingEntry node;
        std::string canonicalPath;
        unsigned unlockedWriteBits = 0;  // write bits before this program locked it; 0 unknown
    };

    std::vector<Entry> m_entries;
    std::unordered_set<std::string> m_listed;  // the entries' canonical paths
};
