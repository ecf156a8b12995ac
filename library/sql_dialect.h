#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Everything the library says in one database's own SQL: the rest of the code is the same
// for every back-end. Named placeholders throughout.
struct SqlDialect
{
    QString driver;               // Qt's SQL driver
    QStringList schema;           // creates the tables and indexes of the current version
    QStringList connectionSetup;  // run on every connection opened for writing
    QString beginWrite;           // starts a transaction that holds the write lock from the start
    QString probe;                // reads the file's header and schema: fails on a damaged file
    // The driver's native error codes (their low byte) for "another connection holds the
    // lock" and "the file is damaged".
    QList<int> busyCodes;
    QList<int> damagedCodes;
    // The spatial and time index over each recording's track.
    QString deleteBox;  // :id
    QString insertBox;  // :id :south :north :west :east :first :last (UTC seconds)
    // Recordings whose box meets :south :north :west :east: id, path, points, base_utc_ms.
    QString boxCandidates;
    // Recordings whose time range holds :t (UTC seconds): the same columns.
    QString timeCandidates;
};

// SQLite through Qt's QSQLITE driver, in WAL mode, with an R*Tree index.
const SqlDialect& sqliteDialect();

// The schema version this code writes; a library of a newer one is refused.
inline constexpr int kLibrarySchemaVersion = 1;
