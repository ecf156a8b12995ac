#pragma once

#include "map/map_track.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

// What the player window asks of the map: one call per script function of the map page.
class MapCalls
{
public:
    virtual ~MapCalls() = default;
    virtual void setPosition(const QString& latitude, const QString& longitude,
                             const QString& speed) = 0;
    // The trip's tracks, one per recording in play order, and the index of the playing
    // recording's track: the map fits the whole trip.
    virtual void setTrip(const std::vector<MapTrack>& parts, int playingPart) = 0;
    // Nothing plays: no track, no marker, no note.
    virtual void clearMap() = 0;
    // Calls made before the page has loaded are lost: the owner sends again from here.
    virtual void whenLoaded(std::function<void()> callback) = 0;
    // Tiles from an MBTiles file, or from the tile server for an empty path; false, with
    // the reason in `error`, when the file cannot be read (the source stays).
    virtual bool setTileFile(const QString& path, QString* error)
    {
        *error = QStringLiteral("No map.");
        return path.isEmpty();
    }
    // Called with the place (degrees) and radius (metres) the user asks "passed here" about
    // on the map.
    virtual void whenPassedHereAsked(std::function<void(double, double, double)> /*asked*/) {}
    // The map's picture when it shows the trip on its tiles, else a null image; the answer
    // may come later, on the GUI thread.
    virtual void grabTrip(std::function<void(const QImage&)> done) { done({}); }
};

// The map view created inside the map host widget (hidden until its page has loaded).
std::unique_ptr<MapCalls> createMapView(QWidget* host);
