#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QStringList>

// Volumes as a desktop automounter lays them out: a folder per volume under /media, or
// under a per-user folder there or in /run/media (/run/media/<user>/<label>). A child of a
// root named after a user of this system is such a user folder; any other child is a
// volume. Reports the volumes that appear or go after it was made.
class FolderVolumes : public QObject
{
    Q_OBJECT
public:
    explicit FolderVolumes(const QStringList& roots, QObject* parent = nullptr);

    QSet<QString> volumes() const { return m_volumes; }

signals:
    void mounted(const QString& path);
    void removed(const QString& path);

private:
    void rescan();
    QSet<QString> scan();
    void scanFolder(const QString& folder, bool userFolders, QSet<QString>& volumes,
                    QStringList& watched);

    QStringList m_roots;
    QFileSystemWatcher m_watcher;
    QSet<QString> m_volumes;
};
