#include "app/folder_volumes.h"

#include <QDir>

#include <pwd.h>

#include "app/volume_changes.h"

namespace {

bool isUserName(const QString& name)
{
    return ::getpwnam(name.toLocal8Bit().constData()) != nullptr;
}

}  // namespace

FolderVolumes::FolderVolumes(const QStringList& roots, QObject* parent)
    : QObject(parent), m_roots(roots)
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderVolumes::rescan);
    m_volumes = scan();
}

// Every change is a full scan: a few folders, and a watch on each that may hold volumes
// (a root that does not exist yet is picked up by the next change of another).
void FolderVolumes::rescan()
{
    announceVolumeChanges(this, m_volumes, scan());
}

QSet<QString> FolderVolumes::scan()
{
    QSet<QString> volumes;
    QStringList watched;
    for (const QString& root : m_roots) {
        scanFolder(root, true, volumes, watched);
    }
    const QStringList stale = m_watcher.directories();
    for (const QString& folder : stale) {
        if (!watched.contains(folder)) {
            m_watcher.removePath(folder);
        }
    }
    for (const QString& folder : watched) {
        if (!stale.contains(folder)) {
            m_watcher.addPath(folder);
        }
    }
    return volumes;
}

void FolderVolumes::scanFolder(const QString& folder, bool userFolders, QSet<QString>& volumes,
                               QStringList& watched)
{
    const QDir dir(folder);
    if (!dir.exists()) {
        return;
    }
    watched << dir.absolutePath();
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (userFolders && isUserName(name)) {
            scanFolder(dir.absoluteFilePath(name), false, volumes, watched);
        } else {
            volumes << dir.absoluteFilePath(name);
        }
    }
}
