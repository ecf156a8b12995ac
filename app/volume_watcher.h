#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QStringList>

class FolderVolumes;
class UDisksVolumes;

// Volumes mounted after start, and volumes removed (also those there at start), from the
// desktop's disk service (UDisks2 on the system bus) and, where it is missing or silent,
// from the folders its automounter mounts into. Each change is reported once, whichever
// source sees it first.
class VolumeWatcher : public QObject
{
    Q_OBJECT
public:
    struct Sources
    {
        QStringList roots{QStringLiteral("/media"), QStringLiteral("/run/media")};
        QDBusConnection bus = QDBusConnection::systemBus();
    };

    explicit VolumeWatcher(QObject* parent = nullptr);
    explicit VolumeWatcher(const Sources& sources, QObject* parent = nullptr);
    ~VolumeWatcher() override;

signals:
    void volumeMounted(const QString& path);
    void volumeRemoved(const QString& path);

private:
    void onMounted(const QString& path);
    void onRemoved(const QString& path);

    FolderVolumes* m_folders;
    UDisksVolumes* m_udisks;
    QSet<QString> m_present;  // there at start or mounted since
    QSet<QString> m_gone;     // removal reported
};
