#pragma once

#include <QString>

#include <string>
#include <vector>

#include "playback/channel_arrangement.h"
#include "telemetry/g_events.h"
#include "telemetry/speed_unit.h"

// What the player remembers between runs, in the desktop's config folder. A missing,
// unreadable or damaged settings file, or a value out of range, gives the default.
namespace player_settings {

// Where the snapshot dialog opens: the folder of the last saved snapshot, else the
// user's pictures folder.
QString snapshotFolder();
void setSnapshotFolder(const QString& folder);

// Where the import dialog opens: the folder last imported, if it still exists; else empty.
QString importFolder();
void setImportFolder(const QString& folder);

// The volume the user set, 0..10; -1 when none was set (the engine's level holds).
int volumeLevel();
void setVolumeLevel(int level);

SpeedUnit units();  // km/h unless mph was chosen
void setUnits(SpeedUnit unit);

bool cycleMode();  // on unless turned off
void setCycleMode(bool on);

bool chartSpeedView();  // the G-sensor view unless the speed view was chosen
void setChartSpeedView(bool speedView);

// How the channels of a moment share the video area: picture in picture, the inset in the
// bottom right corner, unmirrored, unless changed.
ChannelLayout channelLayout();
void setChannelLayout(const ChannelLayout& layout);

// When a push of the G-sensor is an event: each threshold in g, within 0.05 .. 4.0, else
// its default (0.35 along the car, 0.40 across, 1.0 any way).
GEventThresholds eventThresholds();
void setEventThresholds(const GEventThresholds& thresholds);

// Where track export opens: the folder of the last export, else the documents folder.
QString exportFolder();
void setExportFolder(const QString& folder);

// The MBTiles file the map takes its tiles from; empty: the tile server.
QString tileFile();
void setTileFile(const QString& path);

// Where the library of every imported recording lives: a database file, or a server's
// postgresql:// URL; empty: the library's own default file.
QString libraryLocation();
void setLibraryLocation(const QString& location);

// The play list of the last run: its files in order, as the file system names them (any
// bytes), and the one that was open (empty: none). A damaged entry is read as no file.
struct PlayList
{
    std::vector<std::string> files;
    std::string open;
};
constexpr int kMaxSavedRecordings = 100000;  // more are not read back
PlayList playList();
// False when the settings file could not be written.
bool setPlayList(const PlayList& list);

}  // namespace player_settings
