#pragma once

#include <QDialog>
#include <QFutureWatcher>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include "session/trip_events.h"
#include "telemetry/speed_unit.h"

class PlaylistCatalogue;
class QDoubleSpinBox;
class QLabel;
class QTreeWidget;

// The detected events of one trip: a line each (recording, place in it, clock time, kind,
// peak g, speed) over the thresholds that decide them, which the user may change. Clicking
// an event asks for its recording to play (the window starts it a little before). The
// recordings are read on a worker, from copies of their entries, at the start and at each
// change of a threshold; "Reading..." shows meanwhile. A reading outdated by a newer one, or
// by the dialog's end, stops after the recording it reads and is never waited for.
class EventsDialog : public QDialog
{
    Q_OBJECT

public:
    // rows: the trip's recordings in play order, taken from the list now.
    EventsDialog(const PlaylistCatalogue& list, const std::vector<int>& rows,
                 const GEventThresholds& thresholds, SpeedUnit unit, QWidget* parent = nullptr);
    ~EventsDialog() override;

    // The events are being read: events() is empty until they are.
    bool reading() const { return m_readingNow; }
    QString stateText() const;

    const std::vector<TripEvent>& events() const { return m_events; }
    GEventThresholds thresholds() const;
    // Sets the spin boxes; the list follows (and thresholdsChanged is sent).
    void setThresholds(const GEventThresholds& thresholds);
    QTreeWidget* eventList() const { return m_list; }

signals:
    // The events of the thresholds set last are read.
    void eventsRead();
    // An event was clicked: its list row and its time in that recording.
    void eventChosen(int row, double seconds);
    void thresholdsChanged(const GEventThresholds& thresholds);

private:
    void detect();
    void takeEvents();
    void fillList();
    void stopReading();
    QString recordingName(int row) const;

    std::vector<TripRecording> m_recordings;
    SpeedUnit m_unit;
    std::vector<TripEvent> m_events;
    std::array<QDoubleSpinBox*, 3> m_spins{};  // along, across, impact
    QTreeWidget* m_list = nullptr;
    QLabel* m_state = nullptr;
    QFutureWatcher<std::vector<TripEvent>> m_reading;
    std::shared_ptr<std::atomic_bool> m_stop;  // the running reading's
    bool m_readingNow = false;
};
