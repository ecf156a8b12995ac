#include "app/snapshot_tags.h"

#include <QTimeZone>

#include "telemetry/layout.h"
#include "telemetry/recording_entry.h"
#include "telemetry/telemetry_table.h"

namespace {

// The play list's time text "hh:mm:ss MM-dd-yyyy" is the camera's clock, not UTC.
QDateTime recordingStart(const RecordingEntry& recording)
{
    return QDateTime::fromString(QString::fromStdString(recording.timeText),
                                 QStringLiteral("hh:mm:ss MM-dd-yyyy"));
}

// The moment on this computer's clock, with the offset that holds there at that moment.
QDateTime inThisZone(const QDateTime& utc)
{
    return utc.toOffsetFromUtc(utc.toLocalTime().offsetFromUtc());
}

}  // namespace

SnapshotTags snapshotTagsFor(const RecordingEntry& recording, const TelemetryEntry* shown,
                             double positionSeconds, SpeedUnit unit)
{
    SnapshotTags tags;
    // The layout of the channel whose telemetry the picture's tags come from.
    tags.layout = QString::fromLatin1(
        layoutName(channelRecording(recording, telemetryChannel(recording)).layout));
    if (shown && shown->utcMs) {
        tags.fixTime = QDateTime::fromMSecsSinceEpoch(*shown->utcMs, QTimeZone::utc());
        tags.frameTime = inThisZone(tags.fixTime);
    } else if (const QDateTime start = recordingStart(recording); start.isValid()) {
        tags.frameTime = start.addMSecs(static_cast<qint64>(positionSeconds * 1000));
    }
    if (!shown || !shown->position || !isOnEarth(*shown->position)) {
        return tags;
    }
    tags.position =
        SnapshotTags::Position{shown->position->latitude.value, shown->position->longitude.value};
    tags.speedKmh = shown->speedKmh;
    tags.speedInMph = unit == SpeedUnit::Mph;
    tags.course = shown->course;
    return tags;
}
