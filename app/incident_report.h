#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "playback/exif_tags.h"
#include "telemetry/speed_unit.h"
#include "telemetry/telemetry_table.h"
#include "telemetry/trip_summary.h"

class MapCalls;
class PlaybackSession;

// One channel's picture of the moment shown, as the engine wrote it.
struct ReportFrame
{
    QString label;  // "F", "R", ...; empty for a recording of one channel
    QImage picture;
};

// A file of the recording as it is on the disk, so that a copy can be shown to be the same.
struct EvidenceFile
{
    QString path;
    qint64 size = -1;
    QString sha256;   // lower-case hex; empty when the file could not be read
    QString problem;  // why not
};

// The G-sensor around the moment: the axes as logged, and how far the acceleration is
// from the recording's mean (gravity and the mount) now and at its peak nearby.
struct GAround
{
    EntryAxes now;
    double nowFromRest = 0.0;
    double peakFromRest = 0.0;
    double peakSeconds = 0.0;  // in the recording
};

// Everything the report of one moment shows.
struct IncidentFacts
{
    QString recording;  // the list's name
    double positionSeconds = 0.0;
    SpeedUnit unit = SpeedUnit::Kmh;
    SnapshotTags tags;                      // the times, as the snapshot's EXIF has them
    std::optional<TelemetryEntry> shown{};  // the telemetry at the moment, when logged
    std::optional<GAround> g{};
    std::vector<std::vector<GeoPoint>> track;  // the trip, one part per recording
    int playingPart = -1;
    QImage mapPicture;  // the map view's, when it showed the trip; else the track is drawn
    std::vector<ReportFrame> frames;
    std::vector<EvidenceFile> files;
};

// The peak is looked for this far before and after the moment.
inline constexpr double kPeakWindowSeconds = 10.0;

// The G-sensor at the entry and its strongest push within the window around it; nothing
// when the table has no reading there.
std::optional<GAround> gAround(const TelemetryTable& table, int entry, int windowEntries);

// https://www.openstreetmap.org/?mlat=..&mlon=..#map=17/../..
QString openStreetMapLink(const Degrees& latitude, const Degrees& longitude);

// The file's size and SHA-256, read in blocks (a recording may be gigabytes); stops with a
// problem once *stop is set.
EvidenceFile describeEvidence(const QString& path, const std::atomic_bool* stop = nullptr);

// The pictures the engine wrote for `file` (base.jpg, or base_F.jpg, base_R.jpg ... when it
// showed several channels), front channel first.
std::vector<ReportFrame> writtenFrames(const QString& file);

// The moment shown, with the frame held still while its pictures are written; nothing when
// no frame is shown. The files are named, not yet hashed.
std::optional<IncidentFacts> captureIncident(PlaybackSession& session, SpeedUnit unit);

// Completes captured facts off the GUI thread: the files' hashes, and the map's picture
// when it shows the trip (a map that does not answer in time is left out). ready() comes
// once, on the GUI thread.
class IncidentReportJob : public QObject
{
    Q_OBJECT

public:
    explicit IncidentReportJob(IncidentFacts facts, QObject* parent = nullptr);
    ~IncidentReportJob() override;

    // map may be null: the track is then drawn from its points.
    void start(MapCalls* map);
    const IncidentFacts& facts() const { return m_facts; }

signals:
    void ready();

private:
    void takeMapPicture(const QImage& picture);
    void finishWhenComplete();

    IncidentFacts m_facts;
    QFutureWatcher<std::vector<EvidenceFile>> m_hashing;
    std::shared_ptr<std::atomic_bool> m_stop = std::make_shared<std::atomic_bool>(false);
    bool m_hashed = false;
    bool m_mapAnswered = false;
};
