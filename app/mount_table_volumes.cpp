#include "mount_table_volumes.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool isOctal(char c)
{
    return c >= '0' && c <= '7';
}

// The table writes a space, tab, newline or backslash in a path as \ and three octal digits.
QString unescapeField(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const bool octal = field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
                           isOctal(field[i + 2]) && isOctal(field[i + 3]);
        if (octal) {
            out += static_cast<char>(field.mid(i + 1, 3).toInt(nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return QFile::decodeName(out);
}

// The mount point of a line of mountinfo: its fifth field.
QString mountPointOf(const QByteArray& line)
{
    const QList<QByteArray> fields = line.split(' ');
    return fields.size() > 4 ? unescapeField(fields[4]) : QString();
}

}  // namespace

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
    const QSet<QString> now = read();
    for (const QString& path : m_volumes - now) {
        emit removed(path);
    }
    for (const QString& path : now - m_volumes) {
        emit mounted(path);
    }
    m_volumes = now;
}

QSet<QString> MountTableVolumes::read() const
{
    QSet<QString> volumes;
    QFile file(m_table);
    if (m_roots.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return volumes;
    }
    // Read whole: the kernel reports no size for it.
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString path = mountPointOf(line);
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
