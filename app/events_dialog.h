#pragma once

#include <QDialog>

#include <array>
#include <vector>

#include "session/trip_events.h"
#include "telemetry/speed_unit.h"

class PlaylistCatalogue;
class QDoubleSpinBox;
class QTreeWidget;

// The detected events of one trip: a line each (recording, place in it, clock time, kind,
// peak g, speed) over the thresholds that decide them, which the user may change. Clicking
// an event asks for its recording to play (the window starts it a little before).
class EventsDialog : public QDialog
{
    Q_OBJECT

public:
    // rows: the trip's recordings in play order; the list outlives the dialog's use of it
    // (the window closes the dialog when the list changes).
    EventsDialog(const PlaylistCatalogue& list, std::vector<int> rows,
                 const GEventThresholds& thresholds, SpeedUnit unit, QWidget* parent = nullptr);

    const std::vector<TripEvent>& events() const { return m_events; }
    GEventThresholds thresholds() const;
    // Sets the spin boxes; the list follows (and thresholdsChanged is sent).
    void setThresholds(const GEventThresholds& thresholds);
    QTreeWidget* eventList() const { return m_list; }

signals:
    // An event was clicked: its list row and its time in that recording.
    void eventChosen(int row, double seconds);
    void thresholdsChanged(const GEventThresholds& thresholds);

private:
    void detect();
    void fillList();

    const PlaylistCatalogue& m_catalogue;
    std::vector<int> m_rows;
    SpeedUnit m_unit;
    std::vector<TripEvent> m_events;
    std::array<QDoubleSpinBox*, 3> m_spins{};  // along, across, impact
    QTreeWidget* m_list = nullptr;
};
