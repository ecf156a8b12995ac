#pragma once

#include <QString>

#include "speed_unit.h"

// What the player remembers between runs, in the desktop's config folder. A missing,
// unreadable or damaged settings file, or a value out of range, gives the default.
namespace player_settings {

// Where the snapshot dialog opens: the folder of the last saved snapshot, else the
// user's pictures folder.
QString SnapshotFolder();
void SetSnapshotFolder(const QString& folder);

// Where the import dialog opens: the folder last imported, if it still exists; else empty.
QString ImportFolder();
void SetImportFolder(const QString& folder);

// The volume the user set, 0..10; -1 when none was set (the engine's level holds).
int VolumeLevel();
void SetVolumeLevel(int level);

SpeedUnit Units();  // km/h unless mph was chosen
void SetUnits(SpeedUnit unit);

bool CycleMode();  // on unless turned off
void SetCycleMode(bool on);

bool ChartSpeedView();  // the G-sensor view unless the speed view was chosen
void SetChartSpeedView(bool speedView);

// Where track export opens: the folder of the last export, else the documents folder.
QString ExportFolder();
void SetExportFolder(const QString& folder);

}  // namespace player_settings
