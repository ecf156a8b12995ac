#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QStringList>

class QDBusMessage;

// Mounts as the desktop's disk service (UDisks2) reports them on the bus: a filesystem
// object's MountPoints growing or shrinking, a filesystem object appearing with mount
// points or going away. What is mounted when it starts is known, not reported. Silent
// when the bus or the service is missing.
class UDisksVolumes : public QObject
{
    Q_OBJECT
public:
    explicit UDisksVolumes(QDBusConnection bus, QObject* parent = nullptr);

signals:
    void mounted(const QString& path);
    void removed(const QString& path);

private slots:
    void onManagedObjects(const QDBusMessage& reply);
    void onPropertiesChanged(const QDBusMessage& message);
    void onInterfacesAdded(const QDBusMessage& message);
    void onInterfacesRemoved(const QDBusMessage& message);

private:
    void setMountPoints(const QString& object, const QStringList& mountPoints);

    QDBusConnection m_bus;
    QHash<QString, QStringList> m_mountPoints;  // by filesystem object path
};
