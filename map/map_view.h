#pragma once

#include "map/map_track.h"

#include <QImage>
#include <QJsonArray>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QWebEngineView;

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
    // The view's picture when the page shows a trip on loaded tiles, else a null image.
    void grabTrip(std::function<void(const QImage&)> done);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The page has loaded and the map shows over its host.
    void pageLoaded();

private:
    void onLoadFinished();
    void fitToHost();
    void callScript(const QString& function, const QJsonArray& arguments = {});

    QWebEngineView* m_view;
    bool m_loaded = false;
};
