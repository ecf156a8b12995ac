#include "library/sql_dialect.h"

#include <QCryptographicHash>

#include <cstring>

namespace {

// How a recording is added, and what a second import of the same file changes (after
// "ON CONFLICT(its key) DO UPDATE SET ").
const char kInsertRecording[] =
    "INSERT INTO recordings(folder_id, name, size, write_time_ms, start_utc_ms, duration_ms, "
    "locked, event";
const char kUpdateRecording[] =
    "folder_id = excluded.folder_id, size = excluded.size, "
    "write_time_ms = excluded.write_time_ms, start_utc_ms = excluded.start_utc_ms, "
    "duration_ms = excluded.duration_ms, locked = excluded.locked, event = excluded.event";

// On a server, a track whose time range lies within this much of its recording's start is
// found through the start's index; the rare others (longer tracks, a camera clock far off
// the log's) through a small index of their own.
constexpr qint64 kNearStartMs = 3600 * 1000;

// The rare tracks: those the start's index does not find (the row's columns prefixed by
// `row`, as a query names them: the index's predicate and the query's must read alike).
// A server's track ends at its last point's M (seconds from its base time): read from the
// track, not stored beside it.
QString trackEnd(const QString& row)
{
    return QStringLiteral("%1base_utc_ms + CAST(round(1000 * CASE WHEN ST_GeometryType("
                          "ST_GeomFromTWKB(%1points)) = 'ST_Point' THEN ST_M(ST_GeomFromTWKB("
                          "%1points)) ELSE ST_M(ST_PointN(ST_GeomFromTWKB(%1points), -1)) END) "
                          "AS bigint)")
        .arg(row);
}

QString farFromStart(const QString& row)
{
    return QStringLiteral("(%1base_utc_ms < %1start_utc_ms - %2 OR %3 > %1start_utc_ms + %2 OR "
                          "(%1start_utc_ms IS NULL AND %1base_utc_ms IS NOT NULL))")
        .arg(row)
        .arg(kNearStartMs)
        .arg(trackEnd(row));
}

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
    d.beginExclusive = {d.beginWrite};
    d.probe = QStringLiteral("SELECT count(*) FROM sqlite_master");
    // The low byte of an extended result code.
    d.busyCodes = {QStringLiteral("5"), QStringLiteral("6")};       // SQLITE_BUSY, SQLITE_LOCKED
    d.damagedCodes = {QStringLiteral("11"), QStringLiteral("26")};  // SQLITE_CORRUPT, SQLITE_NOTADB
    d.upsertRecording =
        QString::fromLatin1(kInsertRecording) +
        QStringLiteral(", card_label, card_uuid, layout, channels) VALUES (:folder, "
                       ":name, :size, :write, :start, :duration, :locked, :event, "
                       ":label, :uuid, :layout, :channels) "
                       "ON CONFLICT(folder_id, name) DO UPDATE SET ") +
        QString::fromLatin1(kUpdateRecording) +
        QStringLiteral(", card_label = excluded.card_label, card_uuid = "
                       "excluded.card_uuid, layout = excluded.layout, channels = "
                       "excluded.channels RETURNING id");
    d.insertFolder =
        QStringLiteral("INSERT INTO folders(path) VALUES (:path) ON CONFLICT(path) DO NOTHING");
    d.selectFolder = QStringLiteral("SELECT id FROM folders WHERE path = :path");
    d.sourceColumns = QStringLiteral("r.card_label, r.card_uuid, r.layout, r.channels");
    d.upsertTrack =
        QStringLiteral("INSERT INTO tracks(recording_id, base_utc_ms, point_count, points) VALUES "
                       "(:id, :base, :count, :points) ON CONFLICT(recording_id) DO UPDATE SET "
                       "base_utc_ms = excluded.base_utc_ms, point_count = excluded.point_count, "
                       "points = excluded.points");
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

SqlDialect makePostgres()
{
    SqlDialect d;
    d.driver = QStringLiteral("QPSQL");
    d.server = true;
    // Every byte here is paid per recording, dozens of times an hour: one row each, the
    // track in it once (TWKB, which the line index reads itself), no row rewritten after
    // its import.
    d.schema = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS library_meta ("
                       "key TEXT PRIMARY KEY, value TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS trips ("
                       "id BIGINT PRIMARY KEY, start_utc_ms BIGINT NOT NULL, "
                       "end_utc_ms BIGINT NOT NULL, recording_count INTEGER NOT NULL)"),
        // A folder once for each card, layout and channels its recordings came with: what
        // every recording of an import shares stays out of their rows.
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS folders ("
            "id INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, "
            "path TEXT NOT NULL, card_label TEXT, card_uuid TEXT, layout TEXT, "
            "channels TEXT, "
            "UNIQUE NULLS NOT DISTINCT (path, card_label, card_uuid, layout, channels))"),
        // The key, a hash of the path, is what keeps machines importing one folder at once
        // from storing a recording twice: the second one's insert becomes an update. One
        // index for both the key and the path: the path's own would cost a third of a row.
        // Eight-byte columns first, so that none is padded. The trip is set as the
        // recording is added, before that trip's own row exists (trips are written after
        // each import), hence no foreign key.
        QStringLiteral("CREATE TABLE IF NOT EXISTS recordings ("
                       "id BIGINT PRIMARY KEY, size BIGINT NOT NULL, "
                       "write_time_ms BIGINT NOT NULL, start_utc_ms BIGINT, duration_ms BIGINT, "
                       "trip_id BIGINT, base_utc_ms BIGINT, "
                       "folder_id INTEGER NOT NULL REFERENCES folders(id), "
                       "locked BOOLEAN NOT NULL DEFAULT false, event BOOLEAN NOT NULL DEFAULT "
                       "false, name TEXT NOT NULL, points BYTEA)"),
        // Filled up: recordings come mostly in time order and keep their start.
        QStringLiteral("CREATE INDEX IF NOT EXISTS recordings_start ON recordings(start_utc_ms) "
                       "WITH (fillfactor = 100)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS recordings_line ON recordings "
                       "USING GIST ((ST_Force2D(ST_GeomFromTWKB(points))::geography))"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS recordings_far_span ON recordings USING GIST "
                       "(int8range(base_utc_ms, ") +
            trackEnd(QString()) + QStringLiteral(", '[]')) WHERE ") + farFromStart(QString()),
        // Readers of the file library's track rows read the same here. Made once: replacing
        // it at every opening would rewrite its catalog rows each time.
        QStringLiteral("DO $$ BEGIN IF to_regclass('tracks') IS NULL THEN CREATE VIEW tracks AS "
                       "SELECT id AS recording_id, base_utc_ms, "
                       "ST_NPoints(ST_GeomFromTWKB(points)) AS point_count, points FROM "
                       "recordings WHERE points IS NOT NULL; END IF; END $$"),
    };
    // "Already exists, skipping" would go to standard error on every open.
    d.connectionSetup = {QStringLiteral("SET client_min_messages = warning")};
    d.beginWrite = QStringLiteral("BEGIN");
    // The server locks rows, not the database: schema changes and the trips, which are
    // computed from every recording, are made by one writer at a time.
    d.beginExclusive = {d.beginWrite, QStringLiteral("SELECT pg_advisory_xact_lock(7234001)")};
    d.probe = QStringLiteral("SELECT postgis_lib_version()");
    d.readOnlyProbe = QStringLiteral("SELECT current_setting('transaction_read_only') = 'on'");
    // A statement waits for locks itself; a deadlock or a lost serialization aborts the
    // whole transaction.
    d.retryCodes = {QStringLiteral("40P01"), QStringLiteral("40001")};
    // A new recording joins the trip of the one before it when that one ends less than a
    // trip's pause earlier, else starts its own (named by its id, as the trips are): an
    // import in time order leaves nothing for the trips to rewrite. Any one of those that
    // started at the same moment will do: one row from the start's index, however many
    // share that start.
    d.upsertRecording =
        QStringLiteral(
            "WITH v AS (SELECT CAST(:id AS bigint) AS id, CAST(:start AS bigint) AS start) ") +
        QString::fromLatin1(kInsertRecording) +
        QStringLiteral(
            ", id, trip_id, base_utc_ms, points) VALUES (:folder, :name, :size, :write, "
            "(SELECT start FROM v), :duration, CAST(:locked AS integer) <> 0, CAST(:event AS "
            "integer) <> 0, (SELECT id FROM v), (SELECT "
            "COALESCE((SELECT CASE WHEN p.start_utc_ms + p.duration_ms + CAST(:gap AS bigint) "
            ">= v.start THEN p.trip_id END FROM recordings p WHERE p.start_utc_ms <= v.start "
            "ORDER BY p.start_utc_ms DESC LIMIT 1), v.id) FROM v WHERE v.start IS NOT NULL), "
            ":base, :points) ON CONFLICT(id) DO UPDATE SET ") +
        QString::fromLatin1(kUpdateRecording) +
        QStringLiteral(", base_utc_ms = excluded.base_utc_ms, points = excluded.points WHERE "
                       "recordings.name = excluded.name AND (SELECT path FROM folders WHERE id = "
                       "recordings.folder_id) = (SELECT path FROM folders WHERE id = "
                       "excluded.folder_id) RETURNING id");
    d.insertFolder = QStringLiteral(
        "INSERT INTO folders(path, card_label, card_uuid, layout, channels) VALUES (:path, "
        ":label, :uuid, :layout, :channels) ON CONFLICT(path, card_label, card_uuid, layout, "
        "channels) DO NOTHING");
    d.selectFolder = QStringLiteral(
        "SELECT id FROM folders WHERE path = :path AND card_label IS NOT DISTINCT FROM "
        "CAST(:label AS text) AND card_uuid IS NOT DISTINCT FROM CAST(:uuid AS text) AND "
        "layout IS NOT DISTINCT FROM CAST(:layout AS text) AND channels IS NOT DISTINCT FROM "
        "CAST(:channels AS text)");
    d.sourceColumns = QStringLiteral("f.card_label, f.card_uuid, f.layout, f.channels");
    d.trackInRecording = true;
    d.idFromPath = true;
    const QString columns = QStringLiteral(
        "SELECT r.id, f.path || '/' || r.name, r.points, r.base_utc_ms FROM recordings r "
        "JOIN folders f ON f.id = r.folder_id ");
    // On the sphere, as the exact closest approach that follows.
    d.boxCandidates =
        columns +
        QStringLiteral("WHERE ST_DWithin(ST_Force2D(ST_GeomFromTWKB(r.points))::geography, "
                       "ST_MakePoint(CAST(:lon AS float8), CAST(:lat AS float8))"
                       "::geography, CAST(:reach AS float8), false)");
    d.timeCandidates =
        columns + QStringLiteral("WHERE r.base_utc_ms <= CAST(:ms AS bigint) AND %3 >= CAST(:ms "
                                 "AS bigint) AND (r.start_utc_ms BETWEEN CAST(:ms AS bigint) - %1 "
                                 "AND CAST(:ms AS bigint) + %1 OR (%2 AND int8range(r.base_utc_ms, "
                                 "%3, '[]') @> CAST(:ms AS bigint)))")
                      .arg(kNearStartMs)
                      .arg(farFromStart(QStringLiteral("r.")), trackEnd(QStringLiteral("r.")));
    // The first version kept tracks in rows of their own, in the form before TWKB, beside a
    // table of index lines.
    d.upgradeFromVersion1 = {QStringLiteral(
        "ALTER TABLE recordings ADD COLUMN IF NOT EXISTS base_utc_ms BIGINT, "
        "ADD COLUMN IF NOT EXISTS track_ms BIGINT, ADD COLUMN IF NOT EXISTS points BYTEA, "
        "DROP CONSTRAINT IF EXISTS recordings_trip_id_fkey")};
    d.convertTracks = true;
    d.selectOldTracks = QStringLiteral("SELECT recording_id, base_utc_ms, points FROM tracks");
    d.updateTrack = QStringLiteral("UPDATE recordings SET base_utc_ms = :base, track_ms = :track, "
                                   "points = :points WHERE id = :id");
    d.dropOldTracks = {QStringLiteral("DROP TABLE track_box"), QStringLiteral("DROP TABLE tracks")};
    // The second version numbered recordings by a sequence, beside a unique index over the
    // folder and name. The new ids go through a table of their own and are set at once,
    // without the key (an old number may be a new id); the trips, named by the old
    // numbers, are written again.
    // The card, layout and channels move to the folders, and the track's end goes.
    d.upgradeFromVersion2 = {
        QStringLiteral("ALTER TABLE recordings ALTER COLUMN id DROP IDENTITY IF EXISTS, "
                       "DROP CONSTRAINT IF EXISTS recordings_folder_id_name_key, "
                       "DROP CONSTRAINT recordings_pkey"),
        QStringLiteral("ALTER TABLE folders ADD COLUMN card_label TEXT, ADD COLUMN card_uuid TEXT, "
                       "ADD COLUMN layout TEXT, ADD COLUMN channels TEXT, "
                       "DROP CONSTRAINT folders_path_key"),
        QStringLiteral("INSERT INTO folders(path, card_label, card_uuid, layout, channels) "
                       "SELECT DISTINCT f.path, r.card_label, r.card_uuid, r.layout, r.channels "
                       "FROM recordings r JOIN folders f ON f.id = r.folder_id"),
        QStringLiteral("UPDATE recordings r SET folder_id = (SELECT max(n.id) FROM folders n "
                       "JOIN folders o ON o.path = n.path WHERE o.id = r.folder_id AND "
                       "n.card_label IS NOT DISTINCT FROM r.card_label AND n.card_uuid IS NOT "
                       "DISTINCT FROM r.card_uuid AND n.layout IS NOT DISTINCT FROM r.layout AND "
                       "n.channels IS NOT DISTINCT FROM r.channels)"),
        QStringLiteral("DELETE FROM folders WHERE id NOT IN (SELECT folder_id FROM recordings)"),
        QStringLiteral("ALTER TABLE folders ADD UNIQUE NULLS NOT DISTINCT "
                       "(path, card_label, card_uuid, layout, channels)"),
        QStringLiteral("DROP INDEX IF EXISTS recordings_far_span"),
        QStringLiteral("ALTER TABLE recordings DROP COLUMN card_label, DROP COLUMN card_uuid, "
                       "DROP COLUMN layout, DROP COLUMN channels, DROP COLUMN track_ms, "
                       "ALTER COLUMN folder_id TYPE integer, ALTER COLUMN locked DROP DEFAULT, "
                       "ALTER COLUMN event DROP DEFAULT"),
        QStringLiteral("ALTER TABLE recordings ALTER COLUMN locked TYPE boolean USING locked <> 0, "
                       "ALTER COLUMN event TYPE boolean USING event <> 0, ALTER COLUMN locked SET "
                       "DEFAULT false, ALTER COLUMN event SET DEFAULT false"),
        QStringLiteral("CREATE TEMPORARY TABLE renumbered (old BIGINT, id BIGINT) ON COMMIT DROP"),
    };
    d.selectPaths = QStringLiteral("SELECT r.id, f.path || '/' || r.name FROM recordings r "
                                   "JOIN folders f ON f.id = r.folder_id");
    d.renumber = QStringLiteral("INSERT INTO renumbered VALUES (:old, :id)");
    d.afterRenumber = {
        QStringLiteral("UPDATE recordings r SET id = n.id, trip_id = NULL FROM renumbered n "
                       "WHERE r.id = n.old"),
        QStringLiteral("ALTER TABLE recordings ADD PRIMARY KEY (id)"),
        QStringLiteral("DELETE FROM trips"),
    };
    d.version = 3;
    return d;
}

}  // namespace

QString SqlDialect::codeOf(const QSqlError& error) const
{
    if (!error.isValid()) {
        return {};
    }
    // SQLite's extended codes carry the primary one in their low byte; PostgreSQL's are
    // SQLSTATEs.
    return server ? error.nativeErrorCode()
                  : QString::number(error.nativeErrorCode().toInt() & 0xFF);
}

qint64 recordingIdOf(const QString& path, int probe)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(path.toUtf8());
    hash.addData(QByteArray(1, '\0'));
    hash.addData(QByteArray::number(probe));
    qint64 id = 0;
    std::memcpy(&id, hash.result().constData(), sizeof id);
    return id;
}

const SqlDialect& postgresDialect()
{
    static const SqlDialect dialect = makePostgres();
    return dialect;
}

bool isServerLocation(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://")) ||
           location.startsWith(QLatin1String("postgres://"));
}

const SqlDialect& dialectFor(const QString& location)
{
    return isServerLocation(location) ? postgresDialect() : sqliteDialect();
}

const SqlDialect& sqliteDialect()
{
    static const SqlDialect dialect = makeSqlite();
    return dialect;
}
