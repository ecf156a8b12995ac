#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <memory>

class VolumeWatcher;

// Volumes that hold a camera's recordings, each reported once, when it does. A volume that
// does not yet (a folder made and then filled, a mount point made before the mount, a card
// still being copied) is looked at again whenever its folders change or a source sees it
// appear again; a stick of holiday photos is never reported.
class CardArrivals : public QObject
{
    Q_OBJECT
public:
    explicit CardArrivals(std::unique_ptr<VolumeWatcher> volumes, QObject* parent = nullptr);
    ~CardArrivals() override;

signals:
    void cardArrived(const QString& root);
    void volumeRemoved(const QString& path);

private:
    void onMounted(const QString& path);
    void onRemoved(const QString& path);
    void recheck();
    void watchWaiting();

    std::unique_ptr<VolumeWatcher> m_volumes;
    QSet<QString> m_waiting;       // appeared, no card's recordings yet
    QFileSystemWatcher m_folders;  // the waiting volumes' folders
    QTimer m_recheck;              // one look after a burst of changes
};
