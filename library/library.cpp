#include "library/library.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "telemetry/trip.h"

namespace {

constexpr int kBusyTimeoutMs = 5000;
// A writer holding the lock longer than the busy timeout gets this many more waits.
constexpr int kBusyRetries = 3;
// Recordings stored per transaction: a killed import loses at most this much work.
constexpr int kBatchSize = 200;
constexpr double kMetresPerDegree = 6371008.8 * M_PI / 180.0;
// "Passed here" asks a server's index this much wider than the exact check that follows:
// the server measures to great circles between the points, the check along straight lines
// on the map, which part from them by metres over the longest stretches.
constexpr double kIndexMarginMetres = 20.0;

// The ids of its path a recording tries before it gives up (each a 64-bit hash).
constexpr int kIdProbes = 16;

// Transactions that lost to another one (a deadlock between importers) run again this often.
constexpr int kTransactionRetries = 5;

bool hasCode(const QSqlError& error, const SqlDialect& dialect, const QStringList& codes)
{
    return error.isValid() && codes.contains(dialect.codeOf(error));
}

// Runs the prepared query, or the text (not prepared: a server prepares no BEGIN or SET).
bool execRetrying(QSqlQuery& query, const SqlDialect& dialect, const QString* text = nullptr)
{
    for (int attempt = 0;; ++attempt) {
        if (text ? query.exec(*text) : query.exec()) {
            return true;
        }
        if (!hasCode(query.lastError(), dialect, dialect.busyCodes) || attempt == kBusyRetries) {
            return false;
        }
        QThread::msleep(100);
    }
}

// The URL's option (?name=value) in libpq's quoting.
QString connectOption(const QString& name, const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    quoted.replace(QLatin1String("'"), QLatin1String("\\'"));
    return name + QStringLiteral("='") + quoted + QLatin1Char('\'');
}

bool isWritable(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

QVariant optionalValue(const std::optional<std::int64_t>& value)
{
    return value ? QVariant(qlonglong(*value)) : QVariant(QMetaType(QMetaType::LongLong));
}

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

// A track where it shares its recording's row: its base time, length and points.
void bindTrack(QSqlQuery& query, const StoredTrack& track, const QByteArray& points)
{
    query.bindValue(QStringLiteral(":base"), optionalValue(track.baseUtcMs));
    query.bindValue(QStringLiteral(":track"), track.points.empty()
                                                  ? QVariant(QMetaType(QMetaType::LongLong))
                                                  : QVariant(qlonglong(track.points.back().tMs)));
    query.bindValue(QStringLiteral(":points"), points);
}

// The file renamed out of the way with its write-ahead log; "" when it would not move.
QString moveAside(const QString& path)
{
    const QString aside =
        path + QStringLiteral(".damaged-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    if (!QFile::rename(path, aside)) {
        return {};
    }
    QFile::rename(path + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    return aside;
}

// A stored track and what the candidate queries return of its recording.
struct Candidate
{
    qlonglong id = 0;
    QString path;
    std::optional<std::int64_t> baseUtcMs;
    std::vector<TrackPoint> points;
};

std::vector<Candidate> candidates(QSqlQuery& query, const SqlDialect& dialect, QString& error)
{
    std::vector<Candidate> found;
    if (!execRetrying(query, dialect)) {
        error = query.lastError().text();
        return found;
    }
    while (query.next()) {
        const QByteArray blob = query.value(2).toByteArray();
        auto points = decodeTrack(std::string_view(blob.constData(), size_t(blob.size())));
        if (!points) {
            continue;  // a damaged track answers nothing rather than something wrong
        }
        const QVariant base = query.value(3);
        found.push_back(
            {query.value(0).toLongLong(), query.value(1).toString(),
             base.isNull() ? std::nullopt : std::optional<std::int64_t>(base.toLongLong()),
             std::move(*points)});
    }
    return found;
}

void newestFirst(std::vector<LibraryHit>& hits)
{
    std::sort(hits.begin(), hits.end(), [](const LibraryHit& a, const LibraryHit& b) {
        if (a.utcMs != b.utcMs) {
            return a.utcMs > b.utcMs;  // undated ones last
        }
        return a.path < b.path;
    });
}

}  // namespace

Library::Library()
    : m_dialect(&sqliteDialect()),
      m_connection(QStringLiteral("library-%1").arg(reinterpret_cast<quintptr>(this), 0, 16))
{}

Library::~Library()
{
    closeConnection();
}

QString Library::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/dashcam-player/library.sqlite");
}

void Library::closeConnection()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool Library::exec(QSqlQuery& query)
{
    if (execRetrying(query, *m_dialect)) {
        return true;
    }
    m_lastError = query.lastError();
    return false;
}

bool Library::execText(const QString& sql, QString& error)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!execRetrying(query, *m_dialect, &sql)) {
        m_lastError = query.lastError();
        error = query.lastError().text();
        return false;
    }
    return true;
}

bool Library::openServer(const QString& location, QString& error)
{
    closeConnection();
    const QUrl url(location);
    if (!url.isValid() || url.path().size() < 2) {
        error = QStringLiteral("not a database URL: postgresql://[user@][host][:port]/database");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(m_dialect->driver, m_connection);
    if (!db.isValid()) {
        error = QStringLiteral("Qt's PostgreSQL driver (QPSQL) is not installed");
        return false;
    }
    db.setHostName(url.host());
    if (url.port() > 0) {
        db.setPort(url.port());
    }
    db.setUserName(url.userName());
    db.setPassword(url.password());
    db.setDatabaseName(url.path(QUrl::FullyDecoded).mid(1));
    QStringList options;
    for (const auto& [name, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        options << connectOption(name, value);
    }
    db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db.open()) {
        error = db.lastError().text();
        return false;
    }
    return true;
}

bool Library::openConnection(const QString& path, OpenMode mode, QString& error)
{
    closeConnection();
    QSqlDatabase db = QSqlDatabase::addDatabase(m_dialect->driver, m_connection);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
    if (mode == OpenMode::Immutable) {
        // A WAL library in a folder we cannot write has no shared-memory file to read it
        // through; nobody can be writing it there either.
        db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                           QStringLiteral("?immutable=1"));
        options += QStringLiteral(";QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");
    } else {
        db.setDatabaseName(path);
    }
    const bool readOnly = mode != OpenMode::ReadWrite;
    if (mode == OpenMode::ReadOnly) {
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    }
    db.setConnectOptions(options);
    if (!db.open()) {
        error = db.lastError().text();
        return false;
    }
    m_readOnly = readOnly;
    return true;
}

QSqlError Library::probeFile()
{
    // Reads the header and the schema: where a damaged file shows first.
    QSqlQuery probe(QSqlDatabase::database(m_connection, false));
    if (!probe.exec(m_dialect->probe) || !probe.next()) {
        return probe.lastError();
    }
    return {};
}

LibraryOpening Library::open(const QString& location)
{
    m_folderIds.clear();
    m_dialect = &dialectFor(location);
    if (!m_dialect->server) {
        return openFile(location);
    }
    LibraryOpening opening;
    m_path = QUrl(location).toString(QUrl::RemovePassword);
    m_readOnly = false;
    if (!openServer(location, opening.error)) {
        return opening;
    }
    QSqlQuery probe(QSqlDatabase::database(m_connection, false));
    if (!probe.exec(m_dialect->probe)) {
        opening.error = QStringLiteral("the database %1 has no PostGIS (CREATE EXTENSION postgis "
                                       "as its owner): %2")
                            .arg(m_path, probe.lastError().text());
        return opening;
    }
    if (!probe.exec(m_dialect->readOnlyProbe) || !probe.next()) {
        opening.error = probe.lastError().text();
        return opening;
    }
    m_readOnly = probe.value(0).toBool();
    probe.finish();
    opening.readOnly = m_readOnly;
    opening.ok = m_readOnly ? checkSchemaVersion(opening.error) : prepareSchema(opening.error);
    return opening;
}

LibraryOpening Library::openFile(const QString& givenPath)
{
    LibraryOpening opening;
    m_path = QFileInfo(givenPath.isEmpty() ? defaultPath() : givenPath).absoluteFilePath();
    const QFileInfo info(m_path);
    if (!info.exists() && !QDir().mkpath(info.absolutePath())) {
        opening.error = QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
        return opening;
    }
    const bool readOnly =
        info.exists() && (!isWritable(m_path) || !isWritable(info.absolutePath()));
    if (!openConnection(m_path, readOnly ? OpenMode::ReadOnly : OpenMode::ReadWrite,
                        opening.error)) {
        return opening;
    }
    QSqlError probeError = probeFile();
    if (readOnly && probeError.isValid() &&
        !hasCode(probeError, *m_dialect, m_dialect->damagedCodes)) {
        if (!openConnection(m_path, OpenMode::Immutable, opening.error)) {
            return opening;
        }
        probeError = probeFile();
    }
    if (probeError.isValid()) {
        if (!hasCode(probeError, *m_dialect, m_dialect->damagedCodes) || readOnly) {
            opening.error = probeError.text();
            return opening;
        }
        closeConnection();
        const QString aside = moveAside(m_path);
        if (aside.isEmpty()) {
            opening.error = QStringLiteral("the library is damaged and cannot be moved aside");
            return opening;
        }
        opening.startedAnew = true;
        opening.note =
            QStringLiteral("the library was damaged: moved to %1, a new one started").arg(aside);
        if (!openConnection(m_path, OpenMode::ReadWrite, opening.error)) {
            return opening;
        }
    }
    opening.readOnly = m_readOnly;
    opening.ok = m_readOnly ? checkSchemaVersion(opening.error) : prepareSchema(opening.error);
    return opening;
}

bool Library::checkSchemaVersion(QString& error)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(
            QStringLiteral("SELECT value FROM library_meta WHERE key = 'schema_version'")) ||
        !query.next()) {
        error = query.lastError().isValid() &&
                        !hasCode(query.lastError(), *m_dialect, m_dialect->damagedCodes)
                    ? QStringLiteral("not a recording library: %1").arg(m_path)
                    : query.lastError().text();
        return false;
    }
    const int version = query.value(0).toInt();
    const bool upgraded = !m_dialect->upgradeFromVersion1.isEmpty() ||
                          (version >= 2 && !m_dialect->upgradeFromVersion2.isEmpty());
    if (version < m_dialect->version && upgraded) {
        error = QStringLiteral("the library %1 is of an older version (%2): a program that may "
                               "write it brings it up to date")
                    .arg(m_path)
                    .arg(version);
        return false;
    }
    if (version > m_dialect->version) {
        error = QStringLiteral("the library %1 is of a newer version (%2) than this program "
                               "knows (%3)")
                    .arg(m_path)
                    .arg(version)
                    .arg(m_dialect->version);
        return false;
    }
    return true;
}

bool Library::prepareSchema(QString& error)
{
    for (const QString& sql : m_dialect->connectionSetup) {
        if (!execText(sql, error)) {
            return false;
        }
    }
    return inTransaction(
        true,
        [this](QString& error) {
            // The version first: a newer program's library is left as it was, an older one's
            // brought up to this one's before the schema runs over it.
            std::optional<int> version;
            if (!execText(m_dialect->schema.front(), error) || !storedVersion(version, error)) {
                return false;
            }
            if (version && *version > m_dialect->version) {
                return checkSchemaVersion(error);
            }
            if (version && *version < m_dialect->version && !upgrade(*version, error)) {
                return false;
            }
            for (const QString& sql : m_dialect->schema) {
                if (!execText(sql, error)) {
                    return false;
                }
            }
            return execText(QStringLiteral("INSERT INTO library_meta(key, value) VALUES "
                                           "('schema_version', '%1') ON CONFLICT(key) DO UPDATE "
                                           "SET value = excluded.value")
                                .arg(m_dialect->version),
                            error);
        },
        error);
}

bool Library::storedVersion(std::optional<int>& version, QString& error)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(
            QStringLiteral("SELECT value FROM library_meta WHERE key = 'schema_version'"))) {
        m_lastError = query.lastError();
        error = m_lastError.text();
        return false;
    }
    version = query.next() ? std::optional<int>(query.value(0).toInt()) : std::nullopt;
    return true;
}

bool Library::upgrade(int version, QString& error)
{
    if (version < 1) {
        error = QStringLiteral("the library %1 is of version %2, which this program cannot read")
                    .arg(m_path)
                    .arg(version);
        return false;
    }
    if (version == 1) {
        for (const QString& sql : m_dialect->upgradeFromVersion1) {
            if (!execText(sql, error)) {
                return false;
            }
        }
        if (m_dialect->convertTracks && !convertTracks(error)) {
            return false;
        }
    }
    return m_dialect->upgradeFromVersion2.isEmpty() || renumberByPath(error);
}

bool Library::renumberByPath(QString& error)
{
    for (const QString& sql : m_dialect->upgradeFromVersion2) {
        if (!execText(sql, error)) {
            return false;
        }
    }
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery paths(db), renumber(db);
    paths.setForwardOnly(true);
    if (!paths.exec(m_dialect->selectPaths)) {
        m_lastError = paths.lastError();
        error = m_lastError.text();
        return false;
    }
    std::vector<std::pair<qlonglong, QString>> rows;  // read to the end before the next query
    while (paths.next()) {
        rows.emplace_back(paths.value(0).toLongLong(), paths.value(1).toString());
    }
    paths.finish();
    // Each path's first free id, as an import would have given them one after another.
    QSet<qint64> taken;
    renumber.prepare(m_dialect->renumber);
    for (const auto& [old, path] : rows) {
        qint64 id = 0;
        for (int probe = 0; taken.contains(id = recordingIdOf(path, probe)); ++probe) {}
        taken.insert(id);
        renumber.bindValue(QStringLiteral(":old"), old);
        renumber.bindValue(QStringLiteral(":id"), id);
        if (!exec(renumber)) {
            error = m_lastError.text();
            return false;
        }
    }
    for (const QString& sql : m_dialect->afterRenumber) {
        if (!execText(sql, error)) {
            return false;
        }
    }
    return writeTrips(error);
}

bool Library::convertTracks(QString& error)
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery old(db), update(db);
    old.setForwardOnly(true);
    if (!old.exec(m_dialect->selectOldTracks)) {
        m_lastError = old.lastError();
        error = m_lastError.text();
        return false;
    }
    // Read to the end first: a server's driver drops the rest of a result at the next query.
    struct Converted
    {
        qlonglong id;
        StoredTrack track;
    };
    std::vector<Converted> converted;
    while (old.next()) {
        const QByteArray blob = old.value(2).toByteArray();
        Converted c{old.value(0).toLongLong(), {}};
        if (const auto points =
                decodeTrack(std::string_view(blob.constData(), size_t(blob.size())))) {
            c.track.points = std::move(*points);
        }  // a damaged track stays one that answers nothing
        if (!old.value(1).isNull()) {
            c.track.baseUtcMs = old.value(1).toLongLong();
        }
        converted.push_back(std::move(c));
    }
    old.finish();
    update.prepare(m_dialect->updateTrack);
    for (const Converted& c : converted) {
        const std::string encoded = encodeTrack(c.track.points);
        bindTrack(update, c.track, QByteArray(encoded.data(), qsizetype(encoded.size())));
        update.bindValue(QStringLiteral(":id"), c.id);
        if (!exec(update)) {
            error = m_lastError.text();
            return false;
        }
    }
    for (const QString& sql : m_dialect->dropOldTracks) {
        if (!execText(sql, error)) {
            return false;
        }
    }
    return true;
}

bool Library::inTransaction(bool exclusive, const std::function<bool(QString&)>& body,
                            QString& error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const QStringList begin =
        exclusive ? m_dialect->beginExclusive : QStringList{m_dialect->beginWrite};
    for (int attempt = 0;; ++attempt) {
        error.clear();
        m_lastError = {};
        bool ok = true;
        for (const QString& sql : begin) {
            ok = ok && execText(sql, error);
        }
        ok = ok && body(error);
        if (ok && db.commit()) {
            return true;
        }
        if (ok) {
            m_lastError = db.lastError();
            error = m_lastError.text();
        }
        db.rollback();
        m_folderIds.clear();  // folders added in the transaction are gone with it
        if (!hasCode(m_lastError, *m_dialect, m_dialect->retryCodes) ||
            attempt == kTransactionRetries) {
            return false;
        }
    }
}

// What a batch runs for each recording, prepared once for the batch: a server would
// otherwise prepare and drop every statement for every recording.
struct Library::StoreStatements
{
    explicit StoreStatements(const QSqlDatabase& db) : upsert(db), track(db), deleteBox(db), box(db)
    {}
    QSqlQuery upsert, track, deleteBox, box;
};

std::unique_ptr<Library::StoreStatements> Library::prepareStore(QString& error)
{
    auto s = std::make_unique<StoreStatements>(QSqlDatabase::database(m_connection, false));
    s->upsert.prepare(m_dialect->upsertRecording);
    std::vector<QSqlQuery*> prepared = {&s->upsert};
    if (!m_dialect->trackInRecording) {
        s->track.prepare(m_dialect->upsertTrack);
        s->deleteBox.prepare(m_dialect->deleteBox);
        s->box.prepare(m_dialect->insertBox);
        prepared.insert(prepared.end(), {&s->track, &s->deleteBox, &s->box});
    }
    for (const QSqlQuery* query : prepared) {
        if (query->lastError().isValid()) {
            m_lastError = query->lastError();
            error = m_lastError.text();
            return nullptr;
        }
    }
    return s;
}

bool Library::storeOne(const RecordingRecord& r, StoreStatements& s, QString& error)
{
    const std::optional<qlonglong> folder = folderId(r, error);
    if (!folder) {
        return false;
    }
    QSqlQuery& upsert = s.upsert;
    upsert.bindValue(QStringLiteral(":folder"), *folder);
    upsert.bindValue(QStringLiteral(":name"), QFileInfo(r.file.path).fileName());
    upsert.bindValue(QStringLiteral(":size"), qlonglong(r.file.size));
    upsert.bindValue(QStringLiteral(":write"), qlonglong(r.file.writeTimeMs));
    upsert.bindValue(QStringLiteral(":label"), textOrNull(r.volume.label));
    upsert.bindValue(QStringLiteral(":uuid"), textOrNull(r.volume.uuid));
    upsert.bindValue(QStringLiteral(":layout"), r.layout);
    upsert.bindValue(QStringLiteral(":channels"), r.channels);
    upsert.bindValue(QStringLiteral(":start"), optionalValue(r.startUtcMs));
    upsert.bindValue(QStringLiteral(":duration"), qlonglong(r.durationMs));
    upsert.bindValue(QStringLiteral(":locked"), r.locked ? 1 : 0);
    upsert.bindValue(QStringLiteral(":event"), r.event ? 1 : 0);
    const std::string encoded = encodeTrack(r.track.points);
    const QByteArray points(encoded.data(), qsizetype(encoded.size()));
    if (m_dialect->trackInRecording) {
        bindTrack(upsert, r.track, points);
        upsert.bindValue(QStringLiteral(":gap"), qlonglong(kTripGapMs));
    }
    const std::optional<qlonglong> stored = upsertRecording(upsert, r.file.path, error);
    if (!stored) {
        return false;
    }
    const qlonglong id = *stored;
    if (m_dialect->trackInRecording) {
        return true;
    }

    QSqlQuery& track = s.track;
    track.bindValue(QStringLiteral(":id"), id);
    track.bindValue(QStringLiteral(":base"), optionalValue(r.track.baseUtcMs));
    track.bindValue(QStringLiteral(":count"), qlonglong(r.track.points.size()));
    track.bindValue(QStringLiteral(":points"), points);
    QSqlQuery& deleteBox = s.deleteBox;
    deleteBox.bindValue(QStringLiteral(":id"), id);
    if (!exec(track) || !exec(deleteBox)) {
        error = m_lastError.text();
        return false;
    }
    return r.track.points.empty() || storeBox(id, r.track, s.box, error);
}

std::optional<qlonglong> Library::upsertRecording(QSqlQuery& upsert, const QString& path,
                                                  QString& error)
{
    // A path's ids are tried in turn until one is free or holds this path: a 64-bit hash
    // collides once in billions of libraries, but never merges two recordings.
    const QString stored = storedFolder(path) + QLatin1Char('/') + QFileInfo(path).fileName();
    for (int probe = 0; probe < kIdProbes; ++probe) {
        if (m_dialect->idFromPath) {
            upsert.bindValue(QStringLiteral(":id"), recordingIdOf(stored, probe));
        }
        if (!exec(upsert)) {
            error = upsert.lastError().text();
            return std::nullopt;
        }
        if (upsert.next()) {
            const qlonglong id = upsert.value(0).toLongLong();
            upsert.finish();
            return id;
        }
        upsert.finish();
        if (!m_dialect->idFromPath) {
            break;
        }
    }
    error = QStringLiteral("%1: no id of its own could be found").arg(path);
    return std::nullopt;
}

bool Library::storeBox(qlonglong id, const StoredTrack& track, QSqlQuery& box, QString& error)
{
    double south = 90, north = -90, west = 180, east = -180;
    for (const TrackPoint& p : track.points) {
        south = std::min(south, p.latitude);
        north = std::max(north, p.latitude);
        west = std::min(west, p.longitude);
        east = std::max(east, p.longitude);
    }
    const double base = track.baseUtcMs ? double(*track.baseUtcMs) : 0.0;
    box.bindValue(QStringLiteral(":id"), id);
    box.bindValue(QStringLiteral(":south"), south);
    box.bindValue(QStringLiteral(":north"), north);
    box.bindValue(QStringLiteral(":west"), west);
    box.bindValue(QStringLiteral(":east"), east);
    box.bindValue(QStringLiteral(":first"), (base + track.points.front().tMs) / 1000.0);
    box.bindValue(QStringLiteral(":last"), (base + track.points.back().tMs) / 1000.0);
    if (!exec(box)) {
        error = box.lastError().text();
        return false;
    }
    return true;
}

QString Library::storedFolder(const QString& path)
{
    const QString folder = QFileInfo(path).path();
    // Joined with '/' and the name, as every other folder.
    return folder == QLatin1String("/") ? QString() : folder;
}

std::optional<qlonglong> Library::folderId(const RecordingRecord& r, QString& error)
{
    const QString folder = storedFolder(r.file.path);
    const QString key =
        QStringList{folder, r.volume.label, r.volume.uuid, r.layout, r.channels}.join(QChar(0));
    if (const auto known = m_folderIds.constFind(key); known != m_folderIds.constEnd()) {
        return *known;
    }
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery insert(db), select(db);
    insert.prepare(m_dialect->insertFolder);
    select.prepare(m_dialect->selectFolder);
    for (QSqlQuery* query : {&insert, &select}) {
        query->bindValue(QStringLiteral(":path"), folder);
        query->bindValue(QStringLiteral(":label"), textOrNull(r.volume.label));
        query->bindValue(QStringLiteral(":uuid"), textOrNull(r.volume.uuid));
        query->bindValue(QStringLiteral(":layout"), r.layout);
        query->bindValue(QStringLiteral(":channels"), r.channels);
    }
    if (!exec(insert) || !exec(select) || !select.next()) {
        error = (insert.lastError().isValid() ? insert : select).lastError().text();
        return std::nullopt;
    }
    const qlonglong id = select.value(0).toLongLong();
    m_folderIds.insert(key, id);
    return id;
}

bool Library::store(const QList<RecordingRecord>& records, QString& error)
{
    if (m_readOnly) {
        error = QStringLiteral("the library %1 is read-only").arg(m_path);
        return false;
    }
    return inTransaction(
        false,
        [this, &records](QString& error) {
            const std::unique_ptr<StoreStatements> statements = prepareStore(error);
            if (!statements) {
                return false;
            }
            for (const RecordingRecord& record : records) {
                if (!storeOne(record, *statements, error)) {
                    return false;
                }
            }
            return true;
        },
        error);
}

bool Library::updateTrips(QString& error)
{
    return inTransaction(
        true, [this](QString& error) { return writeTrips(error); }, error);
}

bool Library::writeTrips(QString& error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    struct Trip
    {
        qlonglong start, end, count;
        bool operator==(const Trip&) const = default;
    };
    QHash<qlonglong, Trip> stored;  // the trips as their rows have them
    if (!rows.exec(QStringLiteral("SELECT id, start_utc_ms, end_utc_ms, recording_count FROM "
                                  "trips"))) {
        m_lastError = rows.lastError();
        error = m_lastError.text();
        return false;
    }
    while (rows.next()) {
        stored.insert(
            rows.value(0).toLongLong(),
            {rows.value(1).toLongLong(), rows.value(2).toLongLong(), rows.value(3).toLongLong()});
    }
    if (!rows.exec(QStringLiteral("SELECT id, start_utc_ms, duration_ms, trip_id FROM recordings "
                                  "WHERE start_utc_ms IS NOT NULL ORDER BY start_utc_ms, id"))) {
        m_lastError = rows.lastError();
        error = m_lastError.text();
        return false;
    }
    struct Row
    {
        qlonglong id, start, end, trip;
    };
    std::vector<Row> all;
    while (rows.next()) {
        const qlonglong start = rows.value(1).toLongLong();
        all.push_back({rows.value(0).toLongLong(), start, start + rows.value(2).toLongLong(),
                       rows.value(3).isNull() ? -1 : rows.value(3).toLongLong()});
    }
    rows.finish();
    QSqlQuery trip(db), assign(db);
    trip.prepare(
        QStringLiteral("INSERT INTO trips(id, start_utc_ms, end_utc_ms, recording_count) VALUES "
                       "(:id, :start, :end, :count) ON CONFLICT(id) DO UPDATE SET start_utc_ms = "
                       "excluded.start_utc_ms, end_utc_ms = excluded.end_utc_ms, "
                       "recording_count = excluded.recording_count"));
    assign.prepare(QStringLiteral("UPDATE recordings SET trip_id = :trip WHERE id = :id"));
    bool ok = true;
    // A trip is named by its first recording, so a trip keeps its id while it grows. Only
    // what differs is written: a server keeps every rewritten row twice until vacuumed.
    for (size_t first = 0; ok && first < all.size();) {
        size_t last = first;
        qlonglong end = all[first].end;
        while (last + 1 < all.size() && all[last + 1].start <= end + kTripGapMs) {
            end = std::max(end, all[++last].end);
        }
        const qlonglong id = all[first].id;
        const Trip computed{all[first].start, end, qlonglong(last - first + 1)};
        if (!stored.contains(id) || stored.value(id) != computed) {
            trip.bindValue(QStringLiteral(":id"), id);
            trip.bindValue(QStringLiteral(":start"), computed.start);
            trip.bindValue(QStringLiteral(":end"), computed.end);
            trip.bindValue(QStringLiteral(":count"), computed.count);
            ok = exec(trip);
        }
        for (size_t i = first; ok && i <= last; ++i) {
            if (all[i].trip != id) {
                assign.bindValue(QStringLiteral(":trip"), id);
                assign.bindValue(QStringLiteral(":id"), all[i].id);
                ok = exec(assign);
            }
        }
        first = last + 1;
    }
    if (!ok) {
        error = m_lastError.text();
        return false;
    }
    return execText(QStringLiteral("DELETE FROM trips WHERE id NOT IN (SELECT trip_id FROM "
                                   "recordings WHERE trip_id IS NOT NULL)"),
                    error);
}

ImportSummary Library::importFolders(const QStringList& paths, const std::function<bool()>& stop)
{
    ImportSummary summary;
    if (m_readOnly) {
        summary.error =
            QStringLiteral("the library %1 is read-only: nothing can be imported").arg(m_path);
        return summary;
    }
    QStringList unreadable;
    const QList<FoundFile> files = findRecordingFiles(paths, unreadable);
    summary.found = int(files.size());
    for (const QString& path : unreadable) {
        summary.problems
            << QStringLiteral("%1: not a folder or recording that can be read").arg(path);
    }
    QHash<QString, QPair<qlonglong, qlonglong>> known;
    QSqlQuery stored(QSqlDatabase::database(m_connection, false));
    stored.setForwardOnly(true);
    if (!stored.exec(QStringLiteral(
            "SELECT f.path || '/' || r.name, r.size, r.write_time_ms FROM recordings r "
            "JOIN folders f ON f.id = r.folder_id"))) {
        summary.error = stored.lastError().text();
        return summary;
    }
    while (stored.next()) {
        known.insert(stored.value(0).toString(),
                     {stored.value(1).toLongLong(), stored.value(2).toLongLong()});
    }
    stored.finish();

    QHash<QString, VolumeIdentity> volumes;  // by folder: one look-up per folder, not per file
    QList<RecordingRecord> batch;
    for (const FoundFile& file : files) {
        if (stop && stop()) {
            break;
        }
        const auto it = known.constFind(file.path);
        if (it != known.constEnd() && it->first == file.size && it->second == file.writeTimeMs) {
            ++summary.unchanged;
            continue;
        }
        const QString folder = QFileInfo(file.path).path();
        if (!volumes.contains(folder)) {
            volumes.insert(folder, volumeOf(folder));
        }
        QString reason;
        if (auto record = readRecording(file, volumes.value(folder), reason)) {
            batch << std::move(*record);
        } else {
            summary.problems << QStringLiteral("%1: %2").arg(file.path, reason);
        }
        if (batch.size() >= kBatchSize) {
            if (!store(batch, summary.error)) {
                return summary;
            }
            summary.read += int(batch.size());
            batch.clear();
        }
    }
    if (!batch.isEmpty()) {
        if (!store(batch, summary.error)) {
            return summary;
        }
        summary.read += int(batch.size());
    }
    updateTrips(summary.error);
    return summary;
}

std::vector<LibraryHit> Library::passedHere(double latitude, double longitude, double metres,
                                            QString& error)
{
    const double dLat = metres / kMetresPerDegree;
    const double cosLat = std::cos(latitude * M_PI / 180.0);
    const double dLon = cosLat > dLat / 180.0 ? std::min(180.0, dLat / cosLat) : 180.0;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(m_dialect->boxCandidates);
    query.bindValue(QStringLiteral(":south"), latitude - dLat);
    query.bindValue(QStringLiteral(":north"), latitude + dLat);
    query.bindValue(QStringLiteral(":west"), longitude - dLon);
    query.bindValue(QStringLiteral(":east"), longitude + dLon);
    query.bindValue(QStringLiteral(":lat"), latitude);
    query.bindValue(QStringLiteral(":lon"), longitude);
    query.bindValue(QStringLiteral(":reach"), metres + kIndexMarginMetres);
    std::vector<LibraryHit> hits;
    for (const Candidate& c : candidates(query, *m_dialect, error)) {
        const std::optional<Approach> approach = closestApproach(c.points, latitude, longitude);
        if (!approach || approach->metres > metres) {
            continue;
        }
        const TrackPoint& p = approach->point;
        hits.push_back(
            {c.id, c.path,
             c.baseUtcMs ? std::optional<std::int64_t>(*c.baseUtcMs + p.tMs) : std::nullopt,
             p.latitude, p.longitude, approach->metres});
    }
    newestFirst(hits);
    return hits;
}

std::vector<LibraryHit> Library::whereAt(std::int64_t utcMs, QString& error)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(m_dialect->timeCandidates);
    query.bindValue(QStringLiteral(":t"), double(utcMs) / 1000.0);
    query.bindValue(QStringLiteral(":ms"), qlonglong(utcMs));
    std::vector<LibraryHit> hits;
    for (const Candidate& c : candidates(query, *m_dialect, error)) {
        if (!c.baseUtcMs) {
            continue;
        }
        if (const auto p = positionAt(c.points, utcMs - *c.baseUtcMs)) {
            hits.push_back({c.id, c.path, utcMs, p->latitude, p->longitude, 0.0});
        }
    }
    newestFirst(hits);
    return hits;
}
