#pragma once

#include <QString>

// What the player remembers between runs, in the desktop's config folder. A missing or
// unreadable settings file gives the defaults.
namespace player_settings {

// Where the snapshot dialog opens: the folder of the last saved snapshot, else the
// user's pictures folder.
QString SnapshotFolder();
void SetSnapshotFolder(const QString& folder);

// Where track export opens: the folder of the last export, else the documents folder.
QString ExportFolder();
void SetExportFolder(const QString& folder);

}  // namespace player_settings
