#include "map_calls.h"

#include "dlg_map.h"

namespace {

// The map dialog behind the calls; the host widget owns the dialog.
class CDlgMapCalls : public IMapCalls {
public:
    explicit CDlgMapCalls(CDlgMap* dialog) : m_dialog(dialog) {}

    void SetLgtLat(const QString& latitude, const QString& longitude, const QString& speed) override
    {
        m_dialog->SetLgtLat(latitude, longitude, speed);
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
        QObject::connect(m_dialog, &CDlgMap::pageLoaded, m_dialog, std::move(callback));
    }

private:
    CDlgMap* m_dialog;
};

}  // namespace

std::unique_ptr<IMapCalls> CreateMapDialog(QWidget* host)
{
    auto* dialog = new CDlgMap(host);
    dialog->hide();
    return std::make_unique<CDlgMapCalls>(dialog);
}
