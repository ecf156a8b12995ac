// The library's questions for its view: days, a day's recordings with their trips, and a
// recording's track. The same SQL on every back-end.
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

#include "library/library.h"

namespace {

// Recordings are counted per quarter of an hour of UTC: every time zone's midnight falls on
// such a boundary, so a quarter lies within one local day, and a library of years has no
// more quarters than a few hundred thousand. Floor division, also before 1970.
constexpr std::int64_t kQuarterMs = 15 * 60 * 1000;
const char kDayCounts[] =
    "SELECT CASE WHEN start_utc_ms >= 0 THEN start_utc_ms / 900000 "
    "ELSE -1 - (-1 - start_utc_ms) / 900000 END AS quarter, count(*) FROM recordings "
    "GROUP BY quarter";

QString recordingColumns(const SqlDialect& dialect)
{
    return QStringLiteral("SELECT r.id, f.path || '/' || r.name, r.size, r.write_time_ms, %1, "
                          "r.start_utc_ms, r.duration_ms, r.locked, r.event, r.trip_id, "
                          "t.start_utc_ms, t.end_utc_ms, t.recording_count FROM recordings r "
                          "JOIN folders f ON f.id = r.folder_id LEFT JOIN trips t ON t.id = "
                          "r.trip_id ")
        .arg(dialect.sourceColumns);
}

std::optional<std::int64_t> optionalNumber(const QVariant& value)
{
    return value.isNull() ? std::nullopt : std::optional<std::int64_t>(value.toLongLong());
}

LibraryRecording recordingOf(const QSqlQuery& row)
{
    LibraryRecording r;
    r.id = row.value(0).toLongLong();
    r.path = row.value(1).toString();
    r.size = row.value(2).toLongLong();
    r.writeTimeMs = row.value(3).toLongLong();
    r.cardLabel = row.value(4).toString();
    r.cardUuid = row.value(5).toString();
    r.layout = row.value(6).toString();
    r.channels = row.value(7).toString();
    r.startUtcMs = optionalNumber(row.value(8));
    r.durationMs = row.value(9).toLongLong();
    r.locked = row.value(10).toInt() != 0;
    r.event = row.value(11).toInt() != 0;
    r.tripId = optionalNumber(row.value(12));
    r.tripStartUtcMs = row.value(13).toLongLong();
    r.tripEndUtcMs = row.value(14).toLongLong();
    r.tripRecordings = row.value(15).toInt();
    return r;
}

}  // namespace

std::vector<LibraryDay> Library::days(QString& error)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    std::vector<LibraryDay> days;
    if (!query.prepare(QString::fromLatin1(kDayCounts)) || !exec(query)) {
        error = query.lastError().text();
        return days;
    }
    QHash<qint64, int> counts;  // by Julian day; -1: undated
    while (query.next()) {
        const QVariant quarter = query.value(0);
        const qint64 day = quarter.isNull()
                               ? -1
                               : QDateTime::fromMSecsSinceEpoch(quarter.toLongLong() * kQuarterMs)
                                     .date()
                                     .toJulianDay();
        counts[day] += query.value(1).toInt();
    }
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it) {
        days.push_back({it.key() < 0 ? QDate() : QDate::fromJulianDay(it.key()), it.value()});
    }
    std::sort(days.begin(), days.end(), [](const LibraryDay& a, const LibraryDay& b) {
        return a.day.isValid() != b.day.isValid() ? a.day.isValid() : a.day > b.day;
    });
    return days;
}

std::vector<LibraryRecording> Library::recordingsOn(const QDate& day, QString& error)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    const QString columns = recordingColumns(*m_dialect);
    if (day.isValid()) {
        // The day's own length: 23 or 25 hours when the clocks change.
        query.prepare(columns +
                      QStringLiteral("WHERE r.start_utc_ms >= :from AND "
                                     "r.start_utc_ms < :to ORDER BY r.start_utc_ms, r.id"));
        query.bindValue(QStringLiteral(":from"), day.startOfDay().toMSecsSinceEpoch());
        query.bindValue(QStringLiteral(":to"), day.addDays(1).startOfDay().toMSecsSinceEpoch());
    } else {
        query.prepare(columns +
                      QStringLiteral("WHERE r.start_utc_ms IS NULL ORDER BY f.path, r.name"));
    }
    std::vector<LibraryRecording> recordings;
    if (!exec(query)) {
        error = query.lastError().text();
        return recordings;
    }
    while (query.next()) {
        recordings.push_back(recordingOf(query));
    }
    return recordings;
}

std::vector<LibraryRecording> Library::recordings(const std::vector<qlonglong>& ids, QString& error)
{
    std::vector<LibraryRecording> recordings;
    // Numbers only, so written into the statement; in slices that every back-end takes.
    constexpr size_t kSlice = 500;
    for (size_t first = 0; first < ids.size(); first += kSlice) {
        QStringList listed;
        for (size_t i = first; i < std::min(ids.size(), first + kSlice); ++i) {
            listed << QString::number(ids[i]);
        }
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.setForwardOnly(true);
        if (!query.prepare(
                recordingColumns(*m_dialect) +
                QStringLiteral("WHERE r.id IN (%1)").arg(listed.join(QLatin1Char(',')))) ||
            !exec(query)) {
            error = query.lastError().text();
            return {};
        }
        while (query.next()) {
            recordings.push_back(recordingOf(query));
        }
    }
    return recordings;
}

std::optional<StoredTrack> Library::trackOf(qlonglong recordingId, QString& error)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT base_utc_ms, points FROM tracks WHERE recording_id = :id"));
    query.bindValue(QStringLiteral(":id"), recordingId);
    if (!exec(query)) {
        error = query.lastError().text();
        return std::nullopt;
    }
    if (!query.next()) {
        return std::nullopt;
    }
    const QByteArray blob = query.value(1).toByteArray();
    auto points = decodeTrack(std::string_view(blob.constData(), size_t(blob.size())));
    if (!points) {
        error = QStringLiteral("the stored track of recording %1 is damaged").arg(recordingId);
        return std::nullopt;
    }
    return StoredTrack{optionalNumber(query.value(0)), std::move(*points)};
}
