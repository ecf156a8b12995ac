// Volumes mounted after start, seen in injected automounter folders and on a private bus
// where a stand-in for the disk service announces its mounts as UDisks2 does.
#include "app/volume_watcher.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>

namespace {

QString userName()
{
    const passwd* user = ::getpwuid(::getuid());
    return user ? QString::fromLocal8Bit(user->pw_name) : QString();
}

class VolumeWatcherTest : public ::testing::Test
{
protected:
    int argc = 1;
    char name[8] = "volumes";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};
    QTemporaryDir media;     // stands for /media
    QTemporaryDir runMedia;  // stands for /run/media

    QString mkdir(const QTemporaryDir& root, const QString& path)
    {
        EXPECT_TRUE(QDir(root.path()).mkpath(path)) << path.toStdString();
        return QDir::cleanPath(root.filePath(path));
    }
};

TEST_F(VolumeWatcherTest, FoldersOfTheAutomounterAfterStart)
{
    const QString before = mkdir(media, "BEFORE");
    VolumeWatcher watcher(
        {{media.path(), runMedia.path()}, QDBusConnection(QStringLiteral("no bus"))});
    QSignalSpy mounted(&watcher, &VolumeWatcher::volumeMounted);
    QSignalSpy removed(&watcher, &VolumeWatcher::volumeRemoved);

    const QString card = mkdir(media, "CARD");
    ASSERT_TRUE(mounted.wait(5000));
    EXPECT_EQ(mounted.takeFirst().at(0).toString(), card);

    // A per-user folder made after start, and a volume in it.
    mkdir(runMedia, userName());
    const QString cam = mkdir(runMedia, userName() + "/CAM");
    ASSERT_TRUE(mounted.wait(5000));
    EXPECT_EQ(mounted.takeFirst().at(0).toString(), cam);

    ASSERT_TRUE(QDir(cam).removeRecursively());
    ASSERT_TRUE(removed.wait(5000));
    EXPECT_EQ(removed.takeFirst().at(0).toString(), cam);
    ASSERT_TRUE(QDir(before).removeRecursively());
    ASSERT_TRUE(removed.wait(5000));
    EXPECT_EQ(removed.takeFirst().at(0).toString(), before) << "a volume there at start goes too";
    EXPECT_TRUE(mounted.isEmpty()) << "nothing there at start is reported as new";
}

// A private message bus; empty address when none could be started.
class PrivateBus
{
public:
    PrivateBus()
    {
        // Ends with the test even when the test does not end cleanly.
        m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address")});
        if (m_daemon.waitForReadyRead(10000)) {
            address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
        }
    }
    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    QString address;

private:
    QProcess m_daemon;
};

QDBusMessage mountPointsChanged(const QString& object, const QList<QByteArray>& mountPoints)
{
    QDBusMessage signal =
        QDBusMessage::createSignal(object, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    qDBusRegisterMetaType<QList<QByteArray>>();  // "aay", as the service sends it
    QVariantMap changed;
    changed.insert(QStringLiteral("MountPoints"), QVariant::fromValue(mountPoints));
    signal << QStringLiteral("org.freedesktop.UDisks2.Filesystem") << changed << QStringList();
    return signal;
}

TEST_F(VolumeWatcherTest, MountsTheDiskServiceAnnounces)
{
    PrivateBus bus;
    ASSERT_FALSE(bus.address.isEmpty()) << "dbus-daemon did not start";
    QDBusConnection service =
        QDBusConnection::connectToBus(bus.address, QStringLiteral("disk service"));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.UDisks2")));
    QDBusConnection client = QDBusConnection::connectToBus(bus.address, QStringLiteral("player"));
    VolumeWatcher watcher({{}, client});
    QSignalSpy mounted(&watcher, &VolumeWatcher::volumeMounted);
    QSignalSpy removed(&watcher, &VolumeWatcher::volumeRemoved);

    const QString sdb1 = QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdb1");
    ASSERT_TRUE(service.send(mountPointsChanged(sdb1, {QByteArray("/media/user/CARD", 17)})));
    ASSERT_TRUE(mounted.wait(5000));
    EXPECT_EQ(mounted.takeFirst().at(0).toString(), "/media/user/CARD");

    ASSERT_TRUE(service.send(mountPointsChanged(sdb1, {})));
    ASSERT_TRUE(removed.wait(5000));
    EXPECT_EQ(removed.takeFirst().at(0).toString(), "/media/user/CARD");

    QDBusConnection::disconnectFromBus(QStringLiteral("player"));
    QDBusConnection::disconnectFromBus(QStringLiteral("disk service"));
}

}  // namespace
