#include "app/udisks_volumes.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kRoot = QStringLiteral("/org/freedesktop/UDisks2");
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kFilesystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString kMountPoints = QStringLiteral("MountPoints");

// MountPoints is an array of NUL-terminated byte strings.
QStringList mountPointsOf(const QVariant& value)
{
    QList<QByteArray> raw;
    if (value.canConvert<QDBusArgument>()) {
        value.value<QDBusArgument>() >> raw;
    } else {
        raw = value.value<QList<QByteArray>>();
    }
    QStringList paths;
    for (QByteArray bytes : raw) {
        if (bytes.endsWith('\0')) {
            bytes.chop(1);
        }
        if (!bytes.isEmpty()) {
            paths << QString::fromLocal8Bit(bytes);
        }
    }
    return paths;
}

}  // namespace

UDisksVolumes::UDisksVolumes(QDBusConnection bus, QObject* parent) : QObject(parent), m_bus(bus)
{
    if (!m_bus.isConnected()) {
        return;
    }
    // Any object of the service: the filesystems live under block_devices/.
    m_bus.connect(kService, QString(), kProperties, QStringLiteral("PropertiesChanged"), this,
                  SLOT(onPropertiesChanged(QDBusMessage)));
    m_bus.connect(kService, kRoot, kObjectManager, QStringLiteral("InterfacesAdded"), this,
                  SLOT(onInterfacesAdded(QDBusMessage)));
    m_bus.connect(kService, kRoot, kObjectManager, QStringLiteral("InterfacesRemoved"), this,
                  SLOT(onInterfacesRemoved(QDBusMessage)));
    const QDBusMessage call = QDBusMessage::createMethodCall(kService, kRoot, kObjectManager,
                                                             QStringLiteral("GetManagedObjects"));
    m_bus.callWithCallback(call, this, SLOT(onManagedObjects(QDBusMessage)));
}

// (a{oa{sa{sv}}} every object's interfaces and properties): the mounts before the start.
void UDisksVolumes::onManagedObjects(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return;
    }
    QMap<QDBusObjectPath, QMap<QString, QVariantMap>> objects;
    reply.arguments().constFirst().value<QDBusArgument>() >> objects;
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        const QStringList mountPoints =
            mountPointsOf(it.value().value(kFilesystem).value(kMountPoints));
        // A change signalled before this reply is newer.
        if (!mountPoints.isEmpty() && !m_mountPoints.contains(it.key().path())) {
            m_mountPoints.insert(it.key().path(), mountPoints);
        }
    }
}

// (s interface, a{sv} changed, as invalidated)
void UDisksVolumes::onPropertiesChanged(const QDBusMessage& message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || args[0].toString() != kFilesystem) {
        return;
    }
    QVariantMap changed;
    args[1].value<QDBusArgument>() >> changed;
    if (changed.contains(kMountPoints)) {
        setMountPoints(message.path(), mountPointsOf(changed.value(kMountPoints)));
    }
}

// (o object, a{sa{sv}} interfaces and their properties)
void UDisksVolumes::onInterfacesAdded(const QDBusMessage& message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2) {
        return;
    }
    QMap<QString, QVariantMap> interfaces;
    args[1].value<QDBusArgument>() >> interfaces;
    if (interfaces.contains(kFilesystem)) {
        setMountPoints(args[0].value<QDBusObjectPath>().path(),
                       mountPointsOf(interfaces.value(kFilesystem).value(kMountPoints)));
    }
}

// (o object, as interfaces)
void UDisksVolumes::onInterfacesRemoved(const QDBusMessage& message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() >= 2 && args[1].toStringList().contains(kFilesystem)) {
        setMountPoints(args[0].value<QDBusObjectPath>().path(), {});
    }
}

void UDisksVolumes::setMountPoints(const QString& object, const QStringList& mountPoints)
{
    const QStringList before = m_mountPoints.value(object);
    for (const QString& path : before) {
        if (!mountPoints.contains(path)) {
            emit removed(path);
        }
    }
    for (const QString& path : mountPoints) {
        if (!before.contains(path)) {
            emit mounted(path);
        }
    }
    if (mountPoints.isEmpty()) {
        m_mountPoints.remove(object);
    } else {
        m_mountPoints.insert(object, mountPoints);
    }
}
