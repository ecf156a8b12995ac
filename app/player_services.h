#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "map_calls.h"
#include "recording_sources.h"

class QWidget;

// What the player window takes from its surroundings: the desktop's dialogs, the map and
// the removable volumes. The defaults are the real ones; tests replace them.
struct PlayerServices {
    // Folder for Import; empty when cancelled.
    std::function<QString(QWidget* owner)> chooseFolder;
    // Snapshot file name; empty when cancelled. initialFolder empty: where the user last saved.
    std::function<QString(QWidget* owner, const QString& initialFolder)> chooseSnapshotFile;
    // "Play file failed!" and the like, with the error icon.
    std::function<void(QWidget* owner, const QString& text)> showError;
    std::function<std::unique_ptr<IMapCalls>(QWidget* host)> createMap;
    std::shared_ptr<const IRemovableVolumes> volumes;
    // GStreamer audio sink description for every opened recording; empty: the default.
    QString audioSink;

    static PlayerServices Desktop();
};
