#include "app/incident_report.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>

#include "app/map_calls.h"
#include "app/snapshot_tags.h"
#include "session/playback_session.h"
#include "telemetry/recording_entry.h"

namespace {

constexpr qint64 kHashBlock = 1 << 20;
constexpr int kMapAnswerMs = 5000;

// Channels in the order the cameras name them; other labels after them.
int channelRank(const QString& label)
{
    const int at = QStringLiteral("FRIT").indexOf(label);
    return at < 0 ? 4 : at;
}

// The files that make up the recording: every channel's movie and sidecar log.
std::vector<QString> evidencePaths(const RecordingEntry& recording)
{
    const std::vector<ChannelEntry> channels =
        recording.channels.empty()
            ? std::vector<ChannelEntry>{{Channel::Front, recording.filePath, recording.sidecarPath}}
            : recording.channels;
    std::vector<QString> paths;
    for (const ChannelEntry& channel : channels) {
        paths.push_back(QString::fromStdString(channel.filePath));
        if (!channel.sidecarPath.empty()) {
            paths.push_back(QString::fromStdString(channel.sidecarPath));
        }
    }
    return paths;
}

std::vector<std::vector<GeoPoint>> tripTrack(const TripDigests& trip)
{
    std::vector<std::vector<GeoPoint>> parts;
    for (const TrackDigest* digest : trip.digests) {
        parts.push_back(digest->positions);
    }
    return parts;
}

}  // namespace

std::optional<GAround> gAround(const TelemetryTable& table, int entry, int windowEntries)
{
    const TelemetryEntry* now = table.find(entry);
    if (!now || !isGReading(*now)) {
        return std::nullopt;
    }
    const std::array<double, 3> mean = meanG(table);
    const double nowFromRest = gFromRest(*now, mean);
    GAround g{{now->gX, now->gY, now->gZ}, nowFromRest, nowFromRest, entry / 10.0};
    const int last = std::min(table.count() - 1, entry + windowEntries);
    for (int i = std::max(0, entry - windowEntries); i <= last; ++i) {
        if (const double push = gFromRest(*table.find(i), mean); push > g.peakFromRest) {
            g.peakFromRest = push;
            g.peakSeconds = i / static_cast<double>(kEntriesPerSample);
        }
    }
    return g;
}

QString openStreetMapLink(const Degrees& latitude, const Degrees& longitude)
{
    const QString lat = QString::fromStdString(degreesText(latitude));
    const QString lon = QString::fromStdString(degreesText(longitude));
    return QStringLiteral("https://www.openstreetmap.org/?mlat=%1&mlon=%2#map=17/%1/%2")
        .arg(lat, lon);
}

EvidenceFile describeEvidence(const QString& path, const std::atomic_bool* stop)
{
    EvidenceFile evidence;
    evidence.path = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        evidence.problem = file.errorString();
        return evidence;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray block(kHashBlock, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        if (stop != nullptr && *stop) {
            evidence.problem = QStringLiteral("not read to the end");
            return evidence;
        }
        const qint64 got = file.read(block.data(), block.size());
        if (got < 0) {
            evidence.problem = file.errorString();
            return evidence;
        }
        if (got == 0) {
            break;
        }
        hash.addData(QByteArrayView(block.constData(), got));
        total += got;
    }
    evidence.size = total;
    evidence.sha256 = QString::fromLatin1(hash.result().toHex());
    return evidence;
}

std::vector<ReportFrame> writtenFrames(const QString& file)
{
    const QFileInfo info(file);
    if (QImage whole(file); !whole.isNull()) {
        return {{QString(), whole}};
    }
    std::vector<ReportFrame> frames;
    const QDir folder = info.absoluteDir();
    const QString prefix = info.completeBaseName() + QLatin1Char('_');
    for (const QString& name : folder.entryList({prefix + QStringLiteral("*.jpg")}, QDir::Files)) {
        QImage picture(folder.filePath(name));
        if (!picture.isNull()) {
            const QString label = QFileInfo(name).completeBaseName().mid(prefix.size());
            frames.push_back({label, std::move(picture)});
        }
    }
    std::stable_sort(frames.begin(), frames.end(), [](const ReportFrame& a, const ReportFrame& b) {
        return channelRank(a.label) < channelRank(b.label);
    });
    return frames;
}

std::optional<IncidentFacts> captureIncident(PlaybackSession& session, SpeedUnit unit)
{
    IncidentFacts facts;
    RecordingEntry recording;
    const bool held = session.holdFrame([&] {
        session.currentEntry(recording);
        facts.positionSeconds = session.position();
        const TelemetryEntry* shown = session.currentSample();
        facts.tags = snapshotTagsFor(recording, shown, facts.positionSeconds, unit);
        if (shown != nullptr) {
            facts.shown = *shown;
        }
        // The pictures go through the snapshot's own writing, then live in memory.
        const QTemporaryDir folder;
        if (folder.isValid()) {
            const QString file = folder.filePath(QStringLiteral("frame.jpg"));
            session.writeFrame(file, facts.tags);
            facts.frames = writtenFrames(file);
        }
    });
    if (!held) {
        return std::nullopt;
    }
    facts.recording = QString::fromStdString(recording.displayName);
    facts.unit = unit;
    const int entry = static_cast<int>(facts.positionSeconds * kEntriesPerSample);
    facts.g = gAround(session.telemetry(), entry,
                      static_cast<int>(kPeakWindowSeconds * kEntriesPerSample));
    facts.track = tripTrack(session.trip());
    facts.playingPart = session.trip().playingPart;
    for (const QString& path : evidencePaths(recording)) {
        facts.files.emplace_back().path = path;
    }
    return facts;
}

IncidentReportJob::IncidentReportJob(IncidentFacts facts, QObject* parent)
    : QObject(parent), m_facts(std::move(facts))
{}

// A window that closes meanwhile waits only for the block being read.
IncidentReportJob::~IncidentReportJob()
{
    *m_stop = true;
    m_hashing.waitForFinished();
}

void IncidentReportJob::start(MapCalls* map)
{
    connect(&m_hashing, &QFutureWatcher<std::vector<EvidenceFile>>::finished, this, [this] {
        m_facts.files = m_hashing.result();
        m_hashed = true;
        finishWhenComplete();
    });
    std::vector<QString> paths;
    for (const EvidenceFile& file : m_facts.files) {
        paths.push_back(file.path);
    }
    m_hashing.setFuture(QtConcurrent::run([paths, stop = m_stop] {
        std::vector<EvidenceFile> files;
        for (const QString& path : paths) {
            files.push_back(describeEvidence(path, stop.get()));
        }
        return files;
    }));
    if (map == nullptr) {
        m_mapAnswered = true;
        return;
    }
    QTimer::singleShot(kMapAnswerMs, this, [this] { takeMapPicture({}); });
    map->grabTrip([job = QPointer<IncidentReportJob>(this)](const QImage& picture) {
        if (job) {
            job->takeMapPicture(picture);
        }
    });
}

void IncidentReportJob::takeMapPicture(const QImage& picture)
{
    if (m_mapAnswered) {
        return;  // too late: the track is drawn instead
    }
    m_facts.mapPicture = picture;
    m_mapAnswered = true;
    finishWhenComplete();
}

void IncidentReportJob::finishWhenComplete()
{
    if (m_hashed && m_mapAnswered) {
        emit ready();
    }
}
