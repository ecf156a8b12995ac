#pragma once

#include <string>
#include <vector>

#include "layout.h"

// One recording of the play list.
struct tagFileNode {
    std::string strFilePath;  // movie file, as given
    std::string strFileName;  // display name
    std::string strGpsPath;   // sidecar .DAT file, empty when none
    std::string strTime;      // "%02d:%02d:%02d %02d-%02d-%04d": h, min, s, month, day, year
    int bLocked = 0;          // movie file read-only when listed or last toggled
    unsigned nUnlockedWriteBits = 0;  // write bits before this program locked it; 0 unknown
    Layout layout = Layout::None;  // Sidecar when strGpsPath is set, else the movie's own
};

// The on-screen list the catalogue keeps in step with itself (three columns).
class IPlayListView {
public:
    virtual ~IPlayListView() = default;
    virtual int GetRowCount() const = 0;
    virtual void AppendRow(const std::string& number, const std::string& name,
                           const std::string& time) = 0;
    virtual void SetCellText(int row, int column, const std::string& text) = 0;
    virtual void DeleteRow(int row) = 0;
    virtual void DeleteAllRows() = 0;
};

// The ordered list of recordings; row i of the attached view shows node i.
class CPlayList {
public:
    void Attach(IPlayListView* view) { m_view = view; }

    // name empty: the last part of the path. ext: upper-case with its dot (".MOV").
    int AddFile(const std::string& path, const std::string& name, const std::string& ext);
    int GetAt(int index, tagFileNode& out) const;
    int GetCount() const { return static_cast<int>(m_nodes.size()); }
    void RemoveAll();
    // Deletes the movie, then its sidecar; the node and row go only when the movie is gone.
    // -1 when nothing was deleted (bad index, locked or undeletable movie), else 0.
    int DeleteFileAt(int index);
    int ToggleLock(int index);
    static int FindGpsFile(const std::string& path, std::string& out);

private:
    std::vector<tagFileNode> m_nodes;
    IPlayListView* m_view = nullptr;
};
