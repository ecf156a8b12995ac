#include "map/map_tiles.h"

#include <QBuffer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <QUuid>
#include <QVariant>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include <algorithm>
#include <array>

namespace {

constexpr int kMaxZoom = 30;                       // 2^30 tiles a side still fits an int
constexpr qint64 kMaxTileBytes = 4 * 1024 * 1024;  // a raster tile is tens of kilobytes

// The deepest level of the file, from its metadata when that holds a number, else
// from its tiles.
int readMaxZoom(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT value FROM metadata WHERE name = 'maxzoom'")) &&
        query.next()) {
        bool ok = false;
        const int zoom = query.value(0).toString().trimmed().toInt(&ok);
        if (ok && zoom >= 0 && zoom <= kMaxZoom) {
            return zoom;
        }
    }
    if (query.exec(QStringLiteral("SELECT MAX(zoom_level) FROM tiles")) && query.next()) {
        return std::clamp(query.value(0).toInt(), 0, kMaxZoom);
    }
    return 0;
}

bool inWorld(int z, int x, int y)
{
    if (z < 0 || z > kMaxZoom) {
        return false;
    }
    const qint64 side = qint64(1) << z;
    return x >= 0 && y >= 0 && x < side && y < side;
}

// Z, X and Y from the last three parts of a tile URL's path.
std::optional<std::array<int, 3>> tilePlace(const QUrl& url)
{
    const QStringList parts = url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.size() < 3) {
        return std::nullopt;
    }
    std::array<int, 3> place{};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        place[i] = parts[parts.size() - 3 + i].toInt(&ok);
        if (!ok) {
            return std::nullopt;
        }
    }
    return place;
}

}  // namespace

void registerTileScheme()
{
    QWebEngineUrlScheme scheme(kTileScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

bool tileSchemeRegistered()
{
    return QWebEngineUrlScheme::schemeByName(kTileScheme).name() == kTileScheme;
}

std::unique_ptr<TileFile> TileFile::open(const QString& path, QString* error)
{
    const QString connection = QStringLiteral("map-tiles-") + QUuid::createUuid().toString();
    std::unique_ptr<TileFile> file(new TileFile(connection));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    // Read-only: the user's tile file is never changed, not even by a journal.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    QSqlQuery probe(db);
    if (!db.open() ||
        !probe.exec(QStringLiteral(
            "SELECT zoom_level, tile_column, tile_row, tile_data FROM tiles LIMIT 1"))) {
        *error = QStringLiteral("%1 is no tile file (MBTiles) that can be read.").arg(path);
        return nullptr;
    }
    probe.finish();
    file->m_maxZoom = readMaxZoom(db);
    return file;
}

TileFile::TileFile(QString connection) : m_connection(std::move(connection)) {}

TileFile::~TileFile()
{
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

std::optional<QByteArray> TileFile::tile(int z, int x, int y) const
{
    if (!inWorld(z, x, y)) {
        return std::nullopt;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    // The size is asked first, so that a damaged file cannot make us read a huge blob.
    query.prepare(QStringLiteral(
        "SELECT tile_data FROM tiles WHERE zoom_level = ? AND tile_column = ? AND tile_row = ?"
        " AND length(tile_data) <= ?"));
    query.addBindValue(z);
    query.addBindValue(x);
    query.addBindValue(int((qint64(1) << z) - 1 - y));  // the file counts rows from the south
    query.addBindValue(kMaxTileBytes);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    QByteArray data = query.value(0).toByteArray();
    if (data.isEmpty()) {
        return std::nullopt;
    }
    return data;
}

TileSchemeHandler::~TileSchemeHandler() = default;

void TileSchemeHandler::setFile(std::unique_ptr<TileFile> file)
{
    m_file = std::move(file);
}

void TileSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const auto place = tilePlace(job->requestUrl());
    if (!place) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
    const auto data = m_file ? m_file->tile((*place)[0], (*place)[1], (*place)[2]) : std::nullopt;
    if (!data) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* buffer = new QBuffer(job);
    buffer->setData(*data);
    job->reply(tileMimeType(*data), buffer);
}

QByteArray tileMimeType(const QByteArray& data)
{
    if (data.startsWith("\x89PNG")) {
        return QByteArrayLiteral("image/png");
    }
    if (data.startsWith("\xff\xd8\xff")) {
        return QByteArrayLiteral("image/jpeg");
    }
    if (data.startsWith("RIFF") && data.mid(8, 4) == "WEBP") {
        return QByteArrayLiteral("image/webp");
    }
    return QByteArrayLiteral("application/octet-stream");
}
