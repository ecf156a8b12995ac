#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "app/map_calls.h"
#include "library/recording_scan.h"
#include "session/recording_sources.h"

class QPrinter;
class QWidget;
class VolumeWatcher;

// Where a clip goes, and whether the telemetry is drawn into its picture.
struct ClipTarget
{
    QString folder;
    bool overlay = false;
};

// What the player window takes from its surroundings: the desktop's dialogs, the map and
// the removable volumes. The defaults are the real ones; tests replace them.
struct PlayerServices
{
    // Folder for Import; empty when cancelled. start: where the dialog opens (may be empty).
    std::function<QString(QWidget* owner, const QString& start)> chooseFolder;
    // Snapshot file name; empty when cancelled. suggestion: the folder and name offered.
    std::function<QString(QWidget* owner, const QString& suggestion)> chooseSnapshotFile;
    // Track export file name; empty when cancelled. ".csv" asks for a table, else GPX.
    std::function<QString(QWidget* owner, const QString& suggestion)> chooseExportFile;
    // The folder of a clip and its kind; nothing when cancelled. start: the folder offered.
    std::function<std::optional<ClipTarget>(QWidget* owner, const QString& start)> chooseClipTarget;
    // An MBTiles file for the map's tiles; empty when cancelled. start: the file offered.
    std::function<QString(QWidget* owner, const QString& start)> chooseTileFile;
    // Where the library lives: a file or a postgresql:// URL; empty when cancelled.
    // current: the location now (the default file's path when none was set).
    std::function<QString(QWidget* owner, const QString& current)> chooseLibraryLocation;
    // A yes/no question whose safe answer, No, is the default.
    std::function<bool(QWidget* owner, const QString& question)> confirm;
    // The print dialog: false when cancelled, else the printer is set up (or a PDF file).
    std::function<bool(QWidget* owner, QPrinter& printer)> choosePrinter;
    std::function<std::unique_ptr<MapCalls>(QWidget* host)> createMap;
    std::shared_ptr<const RemovableVolumes> volumes;
    // Volumes mounted or removed while the player runs; null: none are watched.
    std::function<std::unique_ptr<VolumeWatcher>()> watchVolumes;
    // The label and filesystem UUID of the volume mounted at a root (empty when unknown).
    std::function<VolumeIdentity(const QString& root)> identifyVolume;
    // GStreamer audio sink description for every opened recording; empty: the default.
    QString audioSink;

    static PlayerServices desktop();
};
