#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "library/recording_scan.h"
#include "library/sql_dialect.h"

// What opening a library came to.
struct LibraryOpening
{
    bool ok = false;
    bool readOnly = false;     // the file or its folder cannot be written: queries only
    QString note;              // something the user should know (a damaged file moved aside)
    bool startedAnew = false;  // a damaged file was moved aside: the library is empty
    QString error;             // why it did not open
};

// What an import did.
struct ImportSummary
{
    int found = 0;         // recording files under the folders
    int read = 0;          // new or changed: read and stored
    int unchanged = 0;     // the same path, size and write time as stored: not read again
    QStringList problems;  // files and folders that could not be read, with the reason
    QString error;         // why the import stopped (nothing after the last commit is lost)
};

// One recording that answers a question, and where and when.
struct LibraryHit
{
    qlonglong recordingId = 0;
    QString path;
    std::optional<std::int64_t> utcMs;  // nothing when the recording's time is not known
    double latitude = 0.0;
    double longitude = 0.0;
    double metres = 0.0;  // from the asked place (passed here)
};

// A local day that holds recordings, and how many; an invalid date stands for the
// recordings whose time is not known.
struct LibraryDay
{
    QDate day;
    int recordings = 0;
};

// A stored recording as the library view shows it, with its trip.
struct LibraryRecording
{
    qlonglong id = 0;
    QString path;
    std::int64_t size = 0;
    std::int64_t writeTimeMs = 0;
    QString cardLabel;  // the volume it was imported from, when the system named it
    QString cardUuid;
    QString layout;
    QString channels;
    std::optional<std::int64_t> startUtcMs;
    std::int64_t durationMs = 0;
    bool locked = false;
    bool event = false;
    std::optional<qlonglong> tripId;
    std::int64_t tripStartUtcMs = 0;
    std::int64_t tripEndUtcMs = 0;
    int tripRecordings = 0;
};

// The library of every recording ever imported: a database of their details and tracks,
// opened by one object over its own connection. Several processes may share one file or,
// on PostgreSQL with PostGIS, one server.
class Library
{
public:
    Library();
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Where the library lives unless told: the user's application data folder.
    static QString defaultPath();

    // Opens or creates the library at a file's path or a server's URL
    // (postgresql://[user[:password]@][host][:port]/database[?option=value&...], host=DIR
    // for a local socket's folder). A read-only file or server opens for queries; a damaged
    // file is moved aside (its name with ".damaged-<UTC time>") and a new library started.
    LibraryOpening open(const QString& location);
    bool isReadOnly() const { return m_readOnly; }

    // Adds the recordings under the folders (or the files given), reading only those whose
    // path, size or write time are new. Stores in batches, each one transaction.
    // stop, when given, is asked before each file: true ends the import there, with what was
    // read before stored.
    ImportSummary importFolders(const QStringList& paths, const std::function<bool()>& stop = {});
    // Stores read recordings as one transaction; false and why when it could not.
    bool store(const QList<RecordingRecord>& records, QString& error);
    // Groups the dated recordings into trips again (after an import).
    bool updateTrips(QString& error);

    // Every recording that passed within metres of the place, newest first, with the
    // closest approach. Empty on an error (set).
    std::vector<LibraryHit> passedHere(double latitude, double longitude, double metres,
                                       QString& error);
    // Every recording whose track holds the moment, with the position then.
    std::vector<LibraryHit> whereAt(std::int64_t utcMs, QString& error);

    // The browsing of the library view (library_browse.cpp). The local days (this
    // process's time zone) that hold recordings, newest first, the undated ones last.
    std::vector<LibraryDay> days(QString& error);
    // The recordings that start on the local day in time order (an invalid date: the
    // undated ones, by path).
    std::vector<LibraryRecording> recordingsOn(const QDate& day, QString& error);
    // The recordings of these ids (those still stored), in no particular order.
    std::vector<LibraryRecording> recordings(const std::vector<qlonglong>& ids, QString& error);
    // A recording's stored track; nothing when it has none or it cannot be read (error set).
    std::optional<StoredTrack> trackOf(qlonglong recordingId, QString& error);

private:
    enum class OpenMode { ReadWrite, ReadOnly, Immutable };
    bool openConnection(const QString& path, OpenMode mode, QString& error);
    bool openServer(const QString& url, QString& error);
    LibraryOpening openFile(const QString& path);
    void closeConnection();
    bool prepareSchema(QString& error);
    bool checkSchemaVersion(QString& error);
    bool storedVersion(std::optional<int>& version, QString& error);
    bool upgrade(int version, QString& error);
    bool convertTracks(QString& error);
    bool renumberByPath(QString& error);
    QSqlError probeFile();
    // Runs body in one transaction (exclusive: no other writer of the library beside it),
    // again from the start when it lost to another transaction.
    bool inTransaction(bool exclusive, const std::function<bool(QString&)>& body, QString& error);
    struct StoreStatements;
    std::unique_ptr<StoreStatements> prepareStore(QString& error);
    bool storeOne(const RecordingRecord& record, StoreStatements& statements, QString& error);
    std::optional<qlonglong> upsertRecording(QSqlQuery& upsert, const QString& path,
                                             QString& error);
    bool storeBox(qlonglong id, const StoredTrack& track, QSqlQuery& box, QString& error);
    bool writeTrips(QString& error);
    static QString storedFolder(const QString& path);
    std::optional<qlonglong> folderId(const RecordingRecord& record, QString& error);
    bool exec(QSqlQuery& query);
    bool execText(const QString& sql, QString& error);

    const SqlDialect* m_dialect;
    QSqlError m_lastError;  // of the last statement that failed
    QString m_connection;
    QString m_path;
    bool m_readOnly = false;
    QHash<QString, qlonglong> m_folderIds;  // of this connection's committed folders, by key
};
