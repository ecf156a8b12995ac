#include "app/volume_watcher.h"

#include "app/folder_volumes.h"
#include "app/mount_table_volumes.h"
#include "app/udisks_volumes.h"

#include <QDir>

VolumeWatcher::VolumeWatcher(QObject* parent) : VolumeWatcher(Sources(), parent) {}

VolumeWatcher::VolumeWatcher(const Sources& sources, QObject* parent)
    : QObject(parent),
      m_folders(new FolderVolumes(sources.roots, this)),
      m_mounts(new MountTableVolumes(sources.roots, sources.mountTable, this)),
      m_udisks(new UDisksVolumes(sources.bus, this))
{
    connect(m_folders, &FolderVolumes::mounted, this, &VolumeWatcher::onMounted);
    connect(m_folders, &FolderVolumes::removed, this, &VolumeWatcher::onRemoved);
    connect(m_mounts, &MountTableVolumes::mounted, this, &VolumeWatcher::onMounted);
    connect(m_mounts, &MountTableVolumes::removed, this, &VolumeWatcher::onRemoved);
    connect(m_udisks, &UDisksVolumes::mounted, this, &VolumeWatcher::onMounted);
    connect(m_udisks, &UDisksVolumes::removed, this, &VolumeWatcher::onRemoved);
    for (const QString& path : m_folders->volumes() + m_mounts->volumes()) {
        m_present.insert(QDir::cleanPath(path));
    }
}

VolumeWatcher::~VolumeWatcher() = default;

void VolumeWatcher::onMounted(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    if (!m_present.contains(clean)) {
        m_present.insert(clean);
        m_gone.remove(clean);
        emit volumeMounted(clean);
    } else {
        emit volumeUpdated(clean);
    }
}

// A volume there before the start goes too (a card found at start and pulled out);
// the second source to see it go is not heard.
void VolumeWatcher::onRemoved(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    if (!m_gone.contains(clean)) {
        m_present.remove(clean);
        m_gone.insert(clean);
        emit volumeRemoved(clean);
    }
}
