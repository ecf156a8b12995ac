#pragma once

#include <QList>
#include <QSqlError>
#include <QString>
#include <QStringList>

// Everything the library says in one database's own SQL: the rest of the code is the same
// for every back-end. Named placeholders throughout; a query may leave out values the
// code binds for another back-end.
struct SqlDialect
{
    QString driver;               // Qt's SQL driver
    bool server = false;          // a database server named by a URL, not a file
    QStringList schema;           // creates the tables and indexes of the current version
    QStringList connectionSetup;  // run on every connection opened for writing
    QString beginWrite;           // starts a transaction that holds the write lock from the start
    // Starts a transaction no other writer of the library runs beside: schema and trips.
    QStringList beginExclusive;
    QString probe;  // fails on a damaged file, or a server without what the library needs
    // True when the connection may only read (a server's standby or read-only setting).
    QString readOnlyProbe;
    // The driver's native error codes for "another connection holds the lock" (the
    // statement may run again), "the transaction lost to another one" (all of it may run
    // again) and "the file is damaged".
    QStringList busyCodes;
    QStringList retryCodes;
    QStringList damagedCodes;
    // Adds a recording or updates the one of the same folder and name, giving its id:
    // :folder :name :size :write :label :uuid :layout :channels :start :duration :locked
    // :event (card, layout and channels unless the folder's row holds them), and where the
    // track shares the recording's row (trackInRecording) :base :track (its length in ms,
    // unless read from the track) :points, and :gap (the longest pause within a trip).
    QString upsertRecording;
    bool trackInRecording = false;
    // The id is bound (:id) as a hash of the recording's path, not made by the database:
    // one index serves as the key and as the path's. The upsert then gives no row when
    // that id holds another path (a collision), and the next id of the path is tried.
    bool idFromPath = false;
    // The folder of a recording (:path, and where a server keeps them there :label :uuid
    // :layout :channels): added unless there, then its id.
    QString insertFolder;
    QString selectFolder;
    // A recording's card label and UUID, layout and channels, as `r` recordings joined
    // with `f` folders have them.
    QString sourceColumns;
    // Otherwise a track has a row of its own, and a spatial and time index.
    QString upsertTrack;  // :id :base :count :points
    QString deleteBox;    // :id
    // :id :south :north :west :east :first :last (UTC seconds)
    QString insertBox;
    // Recordings within :reach metres of :lat :lon (the asked distance and a margin),
    // whose box meets :south :north :west :east: id, path, points, base_utc_ms.
    QString boxCandidates;
    // Recordings whose time range holds :t (UTC seconds), or :ms: the same columns.
    QString timeCandidates;
    // Brings a library of the version before to this one's schema, before the schema
    // runs; convertTracks: its tracks are then rewritten from the :id, :base, :points
    // that selectOldTracks gives, by updateTrack, and dropOldTracks runs.
    QStringList upgradeFromVersion1;
    bool convertTracks = false;
    QString selectOldTracks;
    QString updateTrack;
    QStringList dropOldTracks;
    // From the second version (ids from a sequence), where idFromPath: the statements run,
    // renumber is given each recording's id (:old) and its path's (:id) from selectPaths
    // (id, path), afterRenumber runs and the trips are written again.
    QStringList upgradeFromVersion2;
    QString selectPaths;
    QString renumber;
    QStringList afterRenumber;
    int version = 2;  // the schema version this code writes; a library of a newer one is refused

    // The error's native code in the form of the lists above.
    QString codeOf(const QSqlError& error) const;
};

// SQLite through Qt's QSQLITE driver, in WAL mode, with an R*Tree index.
const SqlDialect& sqliteDialect();
// PostgreSQL with PostGIS through Qt's QPSQL driver: a geography line per recording with a
// GiST index, and a GiST index over each track's time range.
const SqlDialect& postgresDialect();

// Whether a library location is a server's URL (postgresql://...) rather than a file.
bool isServerLocation(const QString& location);
// The dialect a library location needs.
const SqlDialect& dialectFor(const QString& location);

// The id of a recording's path where idFromPath; probe counts the collisions passed.
qint64 recordingIdOf(const QString& path, int probe);
