#include "app/events_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "session/playlist_catalogue.h"
#include "telemetry/telemetry_table.h"

namespace {

constexpr double kMinThresholdG = 0.05;
constexpr double kMaxThresholdG = 4.0;
enum Column { RecordingColumn, AtColumn, TimeColumn, KindColumn, PeakColumn, SpeedColumn };

QDoubleSpinBox* thresholdBox(QWidget* parent, const QString& name)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(kMinThresholdG, kMaxThresholdG);
    box->setDecimals(2);
    box->setSingleStep(0.01);
    box->setSuffix(QStringLiteral(" g"));
    return box;
}

// "1:05" into the recording.
QString placeText(double seconds)
{
    const int whole = static_cast<int>(seconds);
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

// The local clock time of the event, when its UTC is known.
QString clockText(const TripEvent& event)
{
    if (!event.utcMs) {
        return {};
    }
    return QDateTime::fromMSecsSinceEpoch(*event.utcMs)
        .toLocalTime()
        .toString(QStringLiteral("HH:mm:ss"));
}

QString countText(size_t events)
{
    if (events == 0) {
        return QStringLiteral("No event beyond these thresholds.");
    }
    return events == 1 ? QStringLiteral("1 event") : QStringLiteral("%1 events").arg(events);
}

}  // namespace

EventsDialog::EventsDialog(const PlaylistCatalogue& list, const std::vector<int>& rows,
                           const GEventThresholds& thresholds, SpeedUnit unit, QWidget* parent)
    : QDialog(parent), m_recordings(tripRecordings(list, rows)), m_unit(unit)
{
    setWindowTitle(QStringLiteral("Events"));
    m_spins = {thresholdBox(this, QStringLiteral("alongThreshold")),
               thresholdBox(this, QStringLiteral("acrossThreshold")),
               thresholdBox(this, QStringLiteral("impactThreshold"))};
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Braking and acceleration beyond"), m_spins[0]);
    form->addRow(QStringLiteral("Cornering beyond"), m_spins[1]);
    form->addRow(QStringLiteral("Impact beyond"), m_spins[2]);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("events"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Recording"), QStringLiteral("At"),
                             QStringLiteral("Time"), QStringLiteral("Kind"), QStringLiteral("Peak"),
                             QStringLiteral("Speed")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const size_t index = static_cast<size_t>(m_list->indexOfTopLevelItem(item));
        if (index < m_events.size()) {
            emit eventChosen(m_events[index].row, m_events[index].event.seconds());
        }
    });
    auto* note = new QLabel(QStringLiteral("Measured from each recording's mean. Click an "
                                           "event to play it from 5 s before."),
                            this);
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("state"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_state);
    column->addWidget(m_list, 1);
    column->addWidget(note);
    column->addWidget(buttons);
    resize(620, 360);

    connect(&m_reading, &QFutureWatcher<std::vector<TripEvent>>::finished, this,
            &EventsDialog::takeEvents);
    setThresholds(thresholds);
    for (QDoubleSpinBox* box : m_spins) {
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] {
            detect();
            emit thresholdsChanged(this->thresholds());
        });
    }
}

GEventThresholds EventsDialog::thresholds() const
{
    GEventThresholds thresholds;
    thresholds.longitudinalG = m_spins[0]->value();
    thresholds.lateralG = m_spins[1]->value();
    thresholds.impactG = m_spins[2]->value();
    return thresholds;
}

void EventsDialog::setThresholds(const GEventThresholds& thresholds)
{
    const std::array<double, 3> values = {thresholds.longitudinalG, thresholds.lateralG,
                                          thresholds.impactG};
    for (size_t i = 0; i < m_spins.size(); ++i) {
        const QSignalBlocker quiet(m_spins[i]);
        m_spins[i]->setValue(values[i]);
    }
    detect();
    emit thresholdsChanged(this->thresholds());
}

EventsDialog::~EventsDialog()
{
    stopReading();
}

QString EventsDialog::stateText() const
{
    return m_state->text();
}

void EventsDialog::stopReading()
{
    if (m_stop) {
        *m_stop = true;
    }
}

void EventsDialog::detect()
{
    stopReading();
    m_stop = std::make_shared<std::atomic_bool>(false);
    m_readingNow = true;
    m_events.clear();
    m_list->clear();
    m_state->setText(QStringLiteral("Reading..."));
    // The worker owns copies of all it reads: the dialog may go before it ends.
    m_reading.setFuture(
        QtConcurrent::run([recordings = m_recordings, thresholds = thresholds(), stop = m_stop] {
            return detectTripEvents(recordings, thresholds, stop.get());
        }));
}

void EventsDialog::takeEvents()
{
    if (!m_reading.future().isFinished()) {
        return;  // the end of a reading replaced meanwhile
    }
    m_events = m_reading.result();
    m_readingNow = false;
    m_state->setText(countText(m_events.size()));
    fillList();
    emit eventsRead();
}

// The recording's name as the list showed it when the dialog opened.
QString EventsDialog::recordingName(int row) const
{
    for (const TripRecording& recording : m_recordings) {
        if (recording.row == row) {
            return QString::fromStdString(recording.entry.displayName);
        }
    }
    return {};
}

void EventsDialog::fillList()
{
    m_list->clear();
    for (const TripEvent& found : m_events) {
        const GEvent& event = found.event;
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(RecordingColumn, recordingName(found.row));
        item->setText(AtColumn, placeText(event.seconds()));
        item->setText(TimeColumn, clockText(found));
        item->setText(KindColumn,
                      QString::fromUtf8(gEventKindName(event.kind).data(),
                                        static_cast<qsizetype>(gEventKindName(event.kind).size())));
        item->setText(PeakColumn, QStringLiteral("%1 g").arg(event.peakG, 0, 'f', 2));
        if (event.speedKmh) {
            item->setText(SpeedColumn, QStringLiteral("%1 %2")
                                           .arg(speedIn(m_unit, *event.speedKmh))
                                           .arg(QLatin1String(speedUnitSuffix(m_unit))));
        }
    }
}
