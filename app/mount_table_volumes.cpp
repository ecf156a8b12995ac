#include "app/mount_table_volumes.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

#include "app/volume_changes.h"
#include "session/recording_sources.h"

MountTableVolumes::MountTableVolumes(const QStringList& roots, const QString& table,
                                     QObject* parent)
    : QObject(parent), m_table(table)
{
    for (const QString& root : roots) {
        m_roots << QDir::cleanPath(QDir(root).absolutePath());
    }
    m_fd = ::open(QFile::encodeName(table).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &MountTableVolumes::reread);
    }
    m_volumes = read();
}

MountTableVolumes::~MountTableVolumes()
{
    delete m_notifier;
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void MountTableVolumes::reread()
{
    announceVolumeChanges(this, m_volumes, read());
}

QSet<QString> MountTableVolumes::read() const
{
    QSet<QString> volumes;
    if (m_roots.isEmpty()) {
        return volumes;
    }
    for (const MountEntry& mount : readMountTable(QFile::encodeName(m_table).toStdString())) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(mount.mountPoint));
        if (isUnderRoot(path)) {
            volumes.insert(path);
        }
    }
    return volumes;
}

bool MountTableVolumes::isUnderRoot(const QString& path) const
{
    return std::any_of(m_roots.cbegin(), m_roots.cend(), [&](const QString& root) {
        return path.startsWith(root + QLatin1Char('/')) && path.size() > root.size() + 1;
    });
}
