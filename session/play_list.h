#pragma once

#include <QObject>

#include <string>
#include <vector>

#include "recording_entry.h"

// The ordered list of recordings the player plays from. Every change is announced before
// and after it happens, so a model over the list can keep its views in step.
class CPlayList : public QObject {
    Q_OBJECT

public:
    explicit CPlayList(QObject* parent = nullptr) : QObject(parent) {}

    // name empty: the last part of the path. ext: upper-case with its dot (".MOV").
    int AddFile(const std::string& path, const std::string& name, const std::string& ext);
    int GetAt(int index, tagFileNode& out) const;
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    // The entry of a valid index, without a copy.
    const tagFileNode& entryAt(int index) const { return m_entries[static_cast<size_t>(index)].node; }
    void RemoveAll();
    // Deletes the movie, then its sidecar; the entry goes only when the movie is gone.
    // -1 when nothing was deleted (bad index, locked or undeletable movie), else 0.
    int DeleteFileAt(int index);
    int ToggleLock(int index);

signals:
    void entryAboutToBeAdded(int index);
    void entryAdded(int index);
    void entryAboutToBeRemoved(int index);
    void entryRemoved(int index);
    void aboutToBeCleared();
    void cleared();
    void lockChanged(int index);

private:
    struct Entry {
        tagFileNode node;
        unsigned unlockedWriteBits = 0;  // write bits before this program locked it; 0 unknown
    };

    std::vector<Entry> m_entries;
};
