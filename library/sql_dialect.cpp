#include "library/sql_dialect.h"

namespace {

// Shared by both candidate queries: a recording with its stored track.
const char kCandidateColumns[] =
    "SELECT r.id, f.path || '/' || r.name, t.points, t.base_utc_ms FROM track_box b "
    "JOIN recordings r ON r.id = b.id JOIN folders f ON f.id = r.folder_id "
    "JOIN tracks t ON t.recording_id = b.id ";

SqlDialect makeSqlite()
{
    SqlDialect d;
    d.driver = QStringLiteral("QSQLITE");
    d.schema = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS library_meta ("
                       "key TEXT PRIMARY KEY, value TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS trips ("
                       "id INTEGER PRIMARY KEY, start_utc_ms INTEGER NOT NULL, "
                       "end_utc_ms INTEGER NOT NULL, recording_count INTEGER NOT NULL)"),
        // A folder's path once, not in every recording's row and its index: a tenth of
        // what an hour of one-minute recordings costs.
        QStringLiteral("CREATE TABLE IF NOT EXISTS folders ("
                       "id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE)"),
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS recordings ("
            "id INTEGER PRIMARY KEY, folder_id INTEGER NOT NULL REFERENCES folders(id), "
            "name TEXT NOT NULL, size INTEGER NOT NULL, "
            "write_time_ms INTEGER NOT NULL, card_label TEXT, card_uuid TEXT, layout TEXT, "
            "channels TEXT, start_utc_ms INTEGER, duration_ms INTEGER, "
            "locked INTEGER NOT NULL DEFAULT 0, event INTEGER NOT NULL DEFAULT 0, "
            "trip_id INTEGER REFERENCES trips(id) ON DELETE SET NULL, "
            "UNIQUE (folder_id, name))"),
        // A trip is a time range: this index finds its recordings too.
        QStringLiteral("CREATE INDEX IF NOT EXISTS recordings_start ON recordings(start_utc_ms)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS tracks ("
                       "recording_id INTEGER PRIMARY KEY REFERENCES recordings(id) "
                       "ON DELETE CASCADE, base_utc_ms INTEGER, point_count INTEGER NOT NULL, "
                       "points BLOB NOT NULL)"),
        // 32-bit floats, rounded outwards by SQLite: a candidate filter, exact checks follow.
        QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS track_box USING rtree("
                       "id, south, north, west, east, first_s, last_s)"),
    };
    d.connectionSetup = {
        QStringLiteral("PRAGMA journal_mode=WAL"),
        // Commits stay atomic in WAL mode; only the last ones may be lost to a power cut.
        QStringLiteral("PRAGMA synchronous=NORMAL"),
        QStringLiteral("PRAGMA foreign_keys=ON"),
    };
    d.beginWrite = QStringLiteral("BEGIN IMMEDIATE");
    d.probe = QStringLiteral("SELECT count(*) FROM sqlite_master");
    d.busyCodes = {5, 6};       // SQLITE_BUSY, SQLITE_LOCKED
    d.damagedCodes = {11, 26};  // SQLITE_CORRUPT, SQLITE_NOTADB
    d.deleteBox = QStringLiteral("DELETE FROM track_box WHERE id = :id");
    d.insertBox = QStringLiteral("INSERT INTO track_box VALUES "
                                 "(:id, :south, :north, :west, :east, :first, :last)");
    d.boxCandidates = QString::fromLatin1(kCandidateColumns) +
                      QStringLiteral("WHERE b.north >= :south AND b.south <= :north "
                                     "AND b.east >= :west AND b.west <= :east");
    d.timeCandidates = QString::fromLatin1(kCandidateColumns) +
                       QStringLiteral("WHERE b.first_s <= :t AND b.last_s >= :t");
    return d;
}

}  // namespace

const SqlDialect& sqliteDialect()
{
    static const SqlDialect dialect = makeSqlite();
    return dialect;
}
