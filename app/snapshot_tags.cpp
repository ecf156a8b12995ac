#include "snapshot_tags.h"

#include <QTimeZone>

#include "assist_info_reader.h"
#include "layout.h"
#include "map_track.h"
#include "recording_entry.h"

namespace {

// The play list's time text "hh:mm:ss MM-dd-yyyy" is the camera's clock, not UTC.
QDateTime RecordingStart(const tagFileNode& recording)
{
    return QDateTime::fromString(QString::fromStdString(recording.strTime), QStringLiteral("hh:mm:ss MM-dd-yyyy"));
}

}  // namespace

SnapshotTags SnapshotTagsFor(const tagFileNode& recording, const tagAssistInfo* shown, double positionSeconds,
                             SpeedUnit unit)
{
    SnapshotTags tags;
    tags.model = QString::fromLatin1(LayoutName(recording.layout));
    if (shown && shown->utcMs) {
        tags.frameTime = QDateTime::fromMSecsSinceEpoch(*shown->utcMs, QTimeZone::utc());
    } else if (const QDateTime start = RecordingStart(recording); start.isValid()) {
        tags.frameTime = start.addMSecs(static_cast<qint64>(positionSeconds * 1000));
    }
    if (!shown || !shown->HasPosition()) {
        return tags;
    }
    if (const auto point = MapPointFromTexts(shown->strLatitude, shown->strLongitude)) {
        tags.position = SnapshotTags::Position{point->latitude, point->longitude};
        tags.speedKmh = shown->nSpeed;
        tags.speedInMph = unit == SpeedUnit::Mph;
        tags.course = shown->dCourse;
    }
    return tags;
}
