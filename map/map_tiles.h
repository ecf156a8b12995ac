#pragma once

#include <QByteArray>
#include <QString>
#include <QWebEngineUrlSchemeHandler>

#include <memory>
#include <optional>

// The URL scheme through which the map page asks for tiles from a tile file:
// mbtiles:/SOURCE/Z/X/Y, rows counted from the north as the page counts them.
inline constexpr char kTileScheme[] = "mbtiles";

// Makes the scheme known to the web engine; it must run before the application object is made.
void registerTileScheme();
// Whether registerTileScheme ran in this process.
bool tileSchemeRegistered();

// An MBTiles file: raster tiles in SQLite, opened read-only. The file counts rows from
// the south, the page from the north.
class TileFile
{
public:
    // The file, or nullptr with the reason in `error` when it is no tile file.
    static std::unique_ptr<TileFile> open(const QString& path, QString* error);
    ~TileFile();
    TileFile(const TileFile&) = delete;
    TileFile& operator=(const TileFile&) = delete;

    // The tile's bytes at zoom z, column x and row y from the north; nothing for a
    // tile the file lacks, a place outside the world or a tile too large to be one.
    std::optional<QByteArray> tile(int z, int x, int y) const;
    // The deepest zoom level the file holds (0 when it holds none).
    int maxZoom() const { return m_maxZoom; }

private:
    explicit TileFile(QString connection);

    QString m_connection;
    int m_maxZoom = 0;
};

// Answers the page's tile requests from the chosen tile file: a tile the file lacks,
// or any tile while there is no file, fails at once as not found.
class TileSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    ~TileSchemeHandler() override;

    void setFile(std::unique_ptr<TileFile> file);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    std::unique_ptr<TileFile> m_file;
};

// The MIME type of an image from its first bytes (PNG, JPEG, WebP), else a generic one.
QByteArray tileMimeType(const QByteArray& data);
