#include "map_calls.h"

#include "map_view.h"

namespace {

// The map view behind the calls; the host widget owns the view.
class MapViewCalls : public MapCalls
{
public:
    explicit MapViewCalls(MapView* dialog) : m_dialog(dialog) {}

    void setPosition(const QString& latitude, const QString& longitude,
                     const QString& speed) override
    {
        m_dialog->setPosition(latitude, longitude, speed);
    }
    void newPolyLine() override { m_dialog->newPolyLine(); }
    void putMarkerToLine(const QString& latitude, const QString& longitude) override
    {
        m_dialog->putMarkerToLine(latitude, longitude);
    }
    void renderPolyLine() override { m_dialog->renderPolyLine(); }
    void setTrack(const MapTrack& track) override { m_dialog->setTrack(track); }
    void setTrip(const std::vector<MapTrack>& parts, int playingPart) override
    {
        m_dialog->setTrip(parts, playingPart);
    }
    void clearMap() override { m_dialog->clearMap(); }
    void whenLoaded(std::function<void()> callback) override
    {
        QObject::connect(m_dialog, &MapView::pageLoaded, m_dialog, std::move(callback));
    }

private:
    MapView* m_dialog;
};

}  // namespace

std::unique_ptr<MapCalls> createMapView(QWidget* host)
{
    auto* dialog = new MapView(host);
    dialog->hide();
    return std::make_unique<MapViewCalls>(dialog);
}
