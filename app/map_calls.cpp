#include "app/map_calls.h"

#include "map/map_view.h"

namespace {

// The map view behind the calls; the host widget owns the view.
class MapViewCalls : public MapCalls
{
public:
    explicit MapViewCalls(MapView* view) : m_view(view) {}

    void setPosition(const QString& latitude, const QString& longitude,
                     const QString& speed) override
    {
        m_view->setPosition(latitude, longitude, speed);
    }
    void setTrip(const std::vector<MapTrack>& parts, int playingPart) override
    {
        m_view->setTrip(parts, playingPart);
    }
    void clearMap() override { m_view->clearMap(); }
    void whenLoaded(std::function<void()> callback) override
    {
        QObject::connect(m_view, &MapView::pageLoaded, m_view, std::move(callback));
    }
    void whenPassedHereAsked(std::function<void(double, double, double)> asked) override
    {
        QObject::connect(m_view, &MapView::passedHereAsked, m_view, std::move(asked));
    }
    bool setTileFile(const QString& path, QString* error) override
    {
        return m_view->setTileFile(path, error);
    }
    void grabTrip(std::function<void(const QImage&)> done) override
    {
        m_view->grabTrip(std::move(done));
    }

private:
    MapView* m_view;
};

}  // namespace

std::unique_ptr<MapCalls> createMapView(QWidget* host)
{
    auto* view = new MapView(host);
    view->hide();
    return std::make_unique<MapViewCalls>(view);
}
