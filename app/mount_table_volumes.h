#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>

class QSocketNotifier;

// Filesystems mounted under the automounter's roots, as the kernel's mount table lists
// them. A mount on a folder that was there already (the disk service makes the folder,
// then mounts on it) changes no folder, so only the table shows it. The table's file
// signals every change as an exceptional condition (POLLPRI) on its descriptor.
class MountTableVolumes : public QObject
{
    Q_OBJECT
public:
    MountTableVolumes(const QStringList& roots, const QString& table, QObject* parent = nullptr);
    ~MountTableVolumes() override;

    QSet<QString> volumes() const { return m_volumes; }

signals:
    void mounted(const QString& path);
    void removed(const QString& path);

private:
    void reread();
    QSet<QString> read() const;
    bool isUnderRoot(const QString& path) const;

    QStringList m_roots;  // cleaned, absolute
    QString m_table;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QSet<QString> m_volumes;
};
