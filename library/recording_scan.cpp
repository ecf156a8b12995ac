#include "library/recording_scan.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStorageInfo>

#include <blkid.h>

#include <algorithm>
#include <cmath>

#include "telemetry/channel_names.h"
#include "telemetry/file_name.h"
#include "telemetry/layout_reader.h"
#include "telemetry/recording_entry.h"
#include "telemetry/telemetry_table.h"
#include "telemetry/trip.h"

namespace {

// A card's camera folders lie at most this deep (DCIM/100MEDIA/Front/...).
constexpr int kMaxFolderDepth = 4;

std::optional<FoundFile> foundFile(const QFileInfo& info)
{
    if (!info.isFile() || !isRecordingExtension(upperExtension(info.fileName().toStdString()))) {
        return std::nullopt;
    }
    return FoundFile{info.canonicalFilePath(), info.size(),
                     info.lastModified().toMSecsSinceEpoch()};
}

void searchFolder(const QString& folder, int depth, QList<FoundFile>& found,
                  QStringList& unreadable)
{
    const QDir dir(folder);
    if (!dir.isReadable()) {
        unreadable << folder;
        return;
    }
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& info : entries) {
        if (info.isDir() && !info.isSymLink()) {
            if (depth < kMaxFolderDepth) {
                searchFolder(info.filePath(), depth + 1, found, unreadable);
            }
        } else if (const auto file = foundFile(info)) {
            found << *file;
        }
    }
}

// The entry in /dev/disk/by-<kind> that names the device, or "".
QString diskName(const QString& kind, const QByteArray& device)
{
    const QString canonical = QFileInfo(QString::fromLocal8Bit(device)).canonicalFilePath();
    if (canonical.isEmpty()) {
        return {};
    }
    QDirIterator it(QStringLiteral("/dev/disk/by-") + kind, QDir::System | QDir::Files);
    while (it.hasNext()) {
        it.next();
        if (it.fileInfo().canonicalFilePath() == canonical) {
            return it.fileName();
        }
    }
    return {};
}

// The label and UUID in the file system's own header, read by libblkid: where udev names no
// disks (a container, a system without udev). Needs read access to the device.
VolumeIdentity probedIdentity(const QByteArray& device)
{
    const blkid_probe probe = blkid_new_probe_from_filename(device.constData());
    if (!probe) {
        return {};
    }
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID);
    VolumeIdentity identity;
    if (blkid_do_safeprobe(probe) == 0) {
        const char* value = nullptr;
        if (blkid_probe_lookup_value(probe, "LABEL", &value, nullptr) == 0) {
            identity.label = QString::fromUtf8(value);
        }
        if (blkid_probe_lookup_value(probe, "UUID", &value, nullptr) == 0) {
            identity.uuid = QString::fromUtf8(value);
        }
    }
    blkid_free_probe(probe);
    return identity;
}

bool inEventFolder(const QString& path)
{
    const QString folder = QFileInfo(path).dir().dirName().toUpper();
    return folder == QLatin1String("EVENT") || folder == QLatin1String("RO");
}

}  // namespace

QList<FoundFile> findRecordingFiles(const QStringList& paths, QStringList& unreadable)
{
    QList<FoundFile> found;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            searchFolder(info.absoluteFilePath(), 0, found, unreadable);
        } else if (const auto file = foundFile(info)) {
            found << *file;
        } else {
            unreadable << path;
        }
    }
    std::sort(found.begin(), found.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.path < b.path; });
    found.erase(
        std::unique(found.begin(), found.end(),
                    [](const FoundFile& a, const FoundFile& b) { return a.path == b.path; }),
        found.end());
    return found;
}

VolumeIdentity volumeOf(const QString& path)
{
    const QStorageInfo storage(path);
    if (!storage.isValid() || !storage.device().startsWith("/dev/")) {
        return {};
    }
    VolumeIdentity identity{storage.name(), diskName(QStringLiteral("uuid"), storage.device())};
    if (identity.label.isEmpty() || identity.uuid.isEmpty()) {
        const VolumeIdentity probed = probedIdentity(storage.device());
        identity.label = identity.label.isEmpty() ? probed.label : identity.label;
        identity.uuid = identity.uuid.isEmpty() ? probed.uuid : identity.uuid;
    }
    return identity;
}

std::optional<RecordingRecord> readRecording(const FoundFile& file, const VolumeIdentity& volume,
                                             QString& reason)
{
    const std::string path = file.path.toStdString();
    const std::string name = QFileInfo(file.path).fileName().toStdString();
    const RecordingEntry entry = describeRecording(path, name, upperExtension(name));
    TelemetryTable table;
    const ReadOutcome outcome = readTelemetry(entry, table);
    if (outcome.cannotOpen) {
        reason = QString::fromStdString(outcome.reason);
        return std::nullopt;
    }
    const RecordingClock clock = readRecordingClock(path);
    RecordingRecord record;
    record.file = file;
    record.volume = volume;
    record.layout = QString::fromLatin1(layoutName(entry.layout));
    record.locked = entry.locked;
    record.durationMs = std::llround(clock.seconds * 1000.0);
    const std::optional<ChannelName> channel = parseChannelName(path);
    record.channels =
        QString(QChar(static_cast<char>(channel ? channel->channel : Channel::Front)));
    record.event = (channel && channel->event) || inEventFolder(file.path);
    StoredTrack track = trackFromTable(table, clock.startUtcMs);
    record.startUtcMs = clock.startUtcMs ? clock.startUtcMs : track.baseUtcMs;
    record.track = {track.baseUtcMs, simplifyTrack(track.points)};
    if (record.startUtcMs && track.baseUtcMs && !track.points.empty()) {
        // A movie header without a length (or a log that runs on) leaves the track's end.
        record.durationMs = std::max(record.durationMs, *track.baseUtcMs + track.points.back().tMs -
                                                            *record.startUtcMs);
    }
    return record;
}
