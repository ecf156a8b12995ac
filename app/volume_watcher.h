#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QStringList>

class FolderVolumes;
class MountTableVolumes;
class UDisksVolumes;

// Volumes mounted after start, and volumes removed (also those there at start), from the
// desktop's disk service (UDisks2 on the system bus), the kernel's mount table and the
// folders its automounter mounts into. Each change is reported once, whichever source sees
// it first; a later source that sees the same volume appear tells that it may have changed
// (a filesystem mounted on a folder first seen empty).
class VolumeWatcher : public QObject
{
    Q_OBJECT
public:
    struct Sources
    {
        QStringList roots{QStringLiteral("/media"), QStringLiteral("/run/media")};
        QDBusConnection bus = QDBusConnection::systemBus();
        QString mountTable = QStringLiteral("/proc/self/mountinfo");
    };

    explicit VolumeWatcher(QObject* parent = nullptr);
    explicit VolumeWatcher(const Sources& sources, QObject* parent = nullptr);
    ~VolumeWatcher() override;

signals:
    void volumeMounted(const QString& path);
    void volumeRemoved(const QString& path);
    void volumeUpdated(const QString& path);  // seen to appear again while present

private:
    void onMounted(const QString& path);
    void onRemoved(const QString& path);

    FolderVolumes* m_folders;
    MountTableVolumes* m_mounts;
    UDisksVolumes* m_udisks;
    QSet<QString> m_present;  // there at start or mounted since
    QSet<QString> m_gone;     // removal reported
};
