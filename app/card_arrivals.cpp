#include "app/card_arrivals.h"

#include <QDir>
#include <QFile>

#include "app/volume_watcher.h"
#include "session/recording_sources.h"

namespace {

constexpr int kRecheckDelayMs = 200;
constexpr int kWatchDepth = 3;         // DCIM/Movie/Front and the like
constexpr int kWatchedPerVolume = 64;  // a big photo stick is not watched whole

// The volume's folder and those under it, breadth first, to a bounded depth and count.
QStringList foldersOf(const QString& volume)
{
    QStringList folders{volume};
    qsizetype levelStart = 0;
    for (int depth = 0; depth < kWatchDepth; ++depth) {
        const qsizetype levelEnd = folders.size();
        for (qsizetype i = levelStart; i < levelEnd; ++i) {
            const QDir dir(folders[i]);
            for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                if (folders.size() >= kWatchedPerVolume) {
                    return folders;
                }
                folders << dir.filePath(name);
            }
        }
        levelStart = levelEnd;
    }
    return folders;
}

}  // namespace

CardArrivals::CardArrivals(std::unique_ptr<VolumeWatcher> volumes, QObject* parent)
    : QObject(parent), m_volumes(std::move(volumes))
{
    m_recheck.setSingleShot(true);
    m_recheck.setInterval(kRecheckDelayMs);
    connect(&m_recheck, &QTimer::timeout, this, &CardArrivals::recheck);
    connect(&m_folders, &QFileSystemWatcher::directoryChanged, &m_recheck,
            qOverload<>(&QTimer::start));
    connect(m_volumes.get(), &VolumeWatcher::volumeMounted, this, &CardArrivals::onMounted);
    connect(m_volumes.get(), &VolumeWatcher::volumeUpdated, this, [this](const QString& path) {
        if (m_waiting.contains(path)) {
            recheck();
        }
    });
    connect(m_volumes.get(), &VolumeWatcher::volumeRemoved, this, &CardArrivals::onRemoved);
}

CardArrivals::~CardArrivals() = default;

void CardArrivals::onMounted(const QString& path)
{
    m_waiting.insert(path);
    recheck();
}

void CardArrivals::onRemoved(const QString& path)
{
    if (m_waiting.remove(path)) {
        recheck();
    }
    emit volumeRemoved(path);
}

// The watches are set before the look, so that nothing written in between is missed.
void CardArrivals::recheck()
{
    watchWaiting();
    const QSet<QString> waiting = m_waiting;
    for (const QString& volume : waiting) {
        if (holdsCardRecordings(QFile::encodeName(volume).toStdString())) {
            m_waiting.remove(volume);
            emit cardArrived(volume);
        }
    }
    if (m_waiting.size() != waiting.size()) {
        watchWaiting();
    }
}

// Set afresh each time: a mount puts another folder under the same path.
void CardArrivals::watchWaiting()
{
    if (!m_folders.directories().isEmpty()) {
        m_folders.removePaths(m_folders.directories());
    }
    QStringList watched;
    for (const QString& volume : std::as_const(m_waiting)) {
        watched << foldersOf(volume);
    }
    if (!watched.isEmpty()) {
        m_folders.addPaths(watched);
    }
}
