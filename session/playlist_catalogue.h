#pragma once

#include <QObject>

#include <string>
#include <unordered_set>
#include <vector>

#include "telemetry/recording_entry.h"

// A file to list: its path, the name the list shows (empty: the last part of the path) and
// its extension, upper-case with its dot (".MOV").
struct ListedFile
{
    std::string path;
    std::string name;
    std::string ext;
};

// The ordered list of recordings the player plays from; a row is a moment, with every
// channel's file. Every change is announced before and after it happens, so a model over
// the list can keep its views in step.
class PlaylistCatalogue : public QObject
{
    Q_OBJECT

public:
    explicit PlaylistCatalogue(QObject* parent = nullptr) : QObject(parent) {}

    // Lists the files as moments (groupMoments), in the order of each one's first file. A
    // file already listed (the same file by its canonical path) is not added again; a
    // channel of a listed moment joins its row. Returns the number of files newly listed.
    int addFiles(const std::vector<ListedFile>& files);
    // One file, as addFiles; false when it was listed already.
    bool addFile(const std::string& path, const std::string& name, const std::string& ext)
    {
        return addFiles({{path, name, ext}}) > 0;
    }
    // A copy of the entry; false for an index out of range.
    bool entryAt(int index, RecordingEntry& out) const;
    int count() const { return static_cast<int>(m_entries.size()); }
    // The row of a file of any channel (by its canonical path); -1 when it is not listed.
    int rowOf(const std::string& path) const;
    // The entry of a valid index, without a copy.
    const RecordingEntry& entryAt(int index) const
    {
        return m_entries[static_cast<size_t>(index)].node;
    }
    void removeAll();
    // What deleteFileAt removes: every channel's movie and the sidecar no other recording
    // shares; empty for a bad index.
    std::vector<std::string> filesToDelete(int index) const;
    // Deletes every channel's movie, each then with its sidecar; the entry goes when every
    // movie is gone, else it keeps the channels left. False when not every movie went (bad
    // index, a locked channel: nothing is deleted then, an undeletable movie).
    bool deleteFileAt(int index);
    // Makes every channel's movie read-only, or all writable again (when any is read-only);
    // false, and every file as it was, when one did not change.
    bool toggleLock(int index);

signals:
    void entryAboutToBeAdded(int index);
    void entryAdded(int index);
    void entryAboutToBeRemoved(int index);
    void entryRemoved(int index);
    void aboutToBeCleared();
    void cleared();
    void lockChanged(int index);
    // A channel joined the entry, or left it.
    void entryChanged(int index);

private:
    struct Entry
    {
        RecordingEntry node;
        std::vector<std::string> canonicalPaths;  // of node.channels, in their order
        // Per channel: write bits before this program locked it; 0 unknown.
        std::vector<unsigned> unlockedWriteBits;
    };

    Entry makeEntry(const MomentFiles& moment, const std::string& name, const std::string& ext);
    void addRow(const MomentFiles& moment, const ListedFile& main);
    void joinRow(int index, const std::vector<ChannelFile>& added, const ListedFile& firstAdded);
    std::vector<std::string> relatedListedPaths(const std::vector<ListedFile>& fresh) const;

    std::vector<Entry> m_entries;
    std::unordered_set<std::string> m_listed;  // the canonical paths of every channel
};
