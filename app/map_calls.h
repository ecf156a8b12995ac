#pragma once

#include <QString>

#include <functional>
#include <memory>

class QWidget;

// What the player window asks of the map: one call per script function of the map page.
class IMapCalls {
public:
    virtual ~IMapCalls() = default;
    virtual void SetLgtLat(const QString& latitude, const QString& longitude, const QString& speed) = 0;
    virtual void newPolyLine() = 0;
    virtual void putMarkerToLine(const QString& latitude, const QString& longitude) = 0;
    virtual void renderPolyLine() = 0;
    // Calls made before the page has loaded are lost: the owner sends again from here.
    virtual void whenLoaded(std::function<void()> callback) { (void)callback; }
};

// The map dialog created inside the map host control (hidden until its page has loaded).
std::unique_ptr<IMapCalls> CreateMapDialog(QWidget* host);
