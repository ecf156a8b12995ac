#include "session/trip_report.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sstream>

#include <unistd.h>

#include "session/clock_text.h"
#include "session/playlist_catalogue.h"
#include "session/trip_index.h"
#include "telemetry/telemetry_table.h"
#include "telemetry/track_export.h"

namespace {

QString nameOf(const PlaylistCatalogue& list, int row)
{
    RecordingEntry node;
    list.entryAt(row, node);
    return QString::fromStdString(node.displayName);
}

QString duration(int seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// "12.3 km, 0:20:00, max 80 km/h, average 37 km/h", or in miles and mph.
QString tripFigures(const TripSummary& summary, SpeedUnit unit)
{
    const bool miles = unit == SpeedUnit::Mph;
    const QLatin1String length(miles ? "mi" : "km");
    const QLatin1String speed(miles ? "mph" : "km/h");
    return QStringLiteral("%1 %2, %3, max %4 %5, average %6 %5")
        .arg(inUnit(unit, summary.metres / 1000.0), 0, 'f', 1)
        .arg(length, duration(summary.seconds))
        .arg(speedIn(unit, summary.maxKmh))
        .arg(speed)
        .arg(inUnit(unit, summary.averageKmh), 0, 'f', 0);
}

// A buffered write fails only at the flush, which commit() would not report: the file is
// committed only after it.
QString writeWhole(QFileDevice& out, const std::string& bytes)
{
    const auto size = static_cast<qint64>(bytes.size());
    if (out.write(bytes.data(), size) != size || !out.flush()) {
        return out.errorString();
    }
    if (out.handle() >= 0 && ::fsync(out.handle()) != 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    return {};
}

}  // namespace

QString tripSummaryText(const TripDigests& trip, const PlaylistCatalogue& list,
                        const TripIndex& trips, SpeedUnit unit)
{
    const TripSummary summary = summariseTrip(trip.digests);
    if (summary.seconds == 0) {
        return {};
    }
    QString text = QStringLiteral("Trip: %1").arg(tripFigures(summary, unit));
    if (summary.peakPart >= 0 && summary.peakPart < static_cast<int>(trip.rows.size())) {
        const int row = trip.rows[static_cast<size_t>(summary.peakPart)];
        const RecordingClock clock = trips.clock(row);
        const int tenths = summary.peak.entry;
        const QString when =
            clock.startUtcMs
                ? utcClockText(*clock.startUtcMs + tenths * 100LL)
                : QStringLiteral("%1 s into %2").arg(tenths / 10).arg(nameOf(list, row));
        text += QStringLiteral(", peak %1 g at %2").arg(summary.peak.g, 0, 'f', 2).arg(when);
    }
    return text;
}

std::string tripExportText(const std::vector<int>& rows, const PlaylistCatalogue& list,
                           const TripIndex& trips, bool csv)
{
    std::vector<TelemetryTable> tables(rows.size());
    std::vector<ExportPart> parts;
    RecordingEntry node;
    for (size_t i = 0; i < rows.size(); ++i) {
        list.entryAt(rows[i], node);
        tables[i].readRecording(node);
        parts.push_back({node.displayName, &tables[i], trips.clock(rows[i]).startUtcMs});
    }
    std::ostringstream text;
    if (csv) {
        writeCsvHeader(text);
        for (const ExportPart& part : parts) {
            writeCsvRows(text, part);
        }
    } else {
        writeGpxHeader(text, "dashcam-player");
        writeGpxTrackBegin(text, parts.empty() ? std::string() : parts.front().name);
        for (const ExportPart& part : parts) {
            writeGpxSegment(text, part);
        }
        writeGpxTrackEnd(text);
        writeGpxFooter(text);
    }
    return text.str();
}

QString saveWhole(const QString& file, const std::string& bytes)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        return out.errorString();
    }
    if (QString problem = writeWhole(out, bytes); !problem.isEmpty()) {
        out.cancelWriting();
        return problem;
    }
    return out.commit() ? QString() : out.errorString();
}
