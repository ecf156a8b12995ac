#pragma once

#include "map/map_track.h"

#include <QImage>
#include <QJsonArray>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QWebEngineView;
class TileSchemeHandler;

// The map view: a child of the player window's map host that shows the map page
// and calls its script functions. It stays hidden, so the host's own text shows,
// until the page has loaded; calls made before that are lost. Calls reach the page
// in the order they were made.
//
// A plain widget rather than a dialog: Enter and Escape must never close or hide
// the map. They go to the window above, as anywhere else in it, and never to the
// page (the browser would keep Escape to itself).
class MapView : public QWidget
{
    Q_OBJECT

public:
    explicit MapView(QWidget* host);
    ~MapView() override;

    void setPosition(const QString& latitude, const QString& longitude, const QString& speed);
    void newPolyLine();
    void putMarkerToLine(const QString& latitude, const QString& longitude);
    void renderPolyLine();
    // The whole track of the playing recording in one call (the page's setTrack).
    void setTrack(const MapTrack& track);
    // The trip's tracks, one per recording in order, with the index of the playing
    // recording's track (the page's setTrip): the map fits the whole trip.
    void setTrip(const std::vector<MapTrack>& parts, int playingPart);
    // Nothing plays: no track, no marker, no note (the page's clearMap).
    void clearMap();
    // Tiles from an MBTiles file instead of the tile server; an empty path goes back to
    // the server. False, with the reason in `error`, when the file holds no readable
    // tiles: the source stays as it was. Kept across the page's loading.
    bool setTileFile(const QString& path, QString* error);
    // The view's picture when the page shows a trip on loaded tiles, else a null image.
    void grabTrip(std::function<void(const QImage&)> done);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The page has loaded and the map shows over its host.
    void pageLoaded();
    // The user asked on the map which recordings passed within metres of the place.
    void passedHereAsked(double latitude, double longitude, double metres);

private:
    void onLoadFinished();
    void fitToHost();
    void callScript(const QString& function, const QJsonArray& arguments = {});
    void sendTileSource();

    QWebEngineView* m_view;
    TileSchemeHandler* m_tiles = nullptr;  // nullptr where the scheme is not registered
    // The page's tile source: a template with {z}/{x}/{y} (empty: the tile server) and
    // the file's deepest level. Each file gets its own URLs, so none of the last shows.
    QString m_tileTemplate;
    int m_tileZoom = 0;
    int m_tileFiles = 0;
    bool m_loaded = false;
};
