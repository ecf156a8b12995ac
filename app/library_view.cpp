#include "app/library_view.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kDayRole = Qt::UserRole + 1;        // Julian day; -1: the undated
constexpr int kRequestedRole = Qt::UserRole + 2;  // the day's recordings were asked for
constexpr int kRecordingRole = Qt::UserRole + 3;  // the recording's id
constexpr qint64 kUndated = -1;

qint64 dayKey(const QDate& day)
{
    return day.isValid() ? day.toJulianDay() : kUndated;
}

QDate dayOf(qint64 key)
{
    return key == kUndated ? QDate() : QDate::fromJulianDay(key);
}

QDateTime localTime(std::int64_t utcMs)
{
    return QDateTime::fromMSecsSinceEpoch(utcMs);
}

// The time of day, with the date when it is not the day shown.
QString timeOn(std::int64_t utcMs, const QDate& day)
{
    const QDateTime t = localTime(utcMs);
    return t.date() == day ? t.toString(QStringLiteral("HH:mm"))
                           : t.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString duration(std::int64_t ms)
{
    const std::int64_t seconds = ms / 1000;
    return seconds >= 3600 ? QStringLiteral("%1:%2:%3")
                                 .arg(seconds / 3600)
                                 .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(seconds % 60, 2, 10, QLatin1Char('0'))
                           : QStringLiteral("%1:%2")
                                 .arg(seconds / 60)
                                 .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString recordingCount(int count)
{
    return count == 1 ? QStringLiteral("1 recording") : QStringLiteral("%1 recordings").arg(count);
}

QString dayText(const LibraryDay& day)
{
    const QString count = recordingCount(day.recordings);
    return day.day.isValid() ? QStringLiteral("%1  (%2)")
                                   .arg(day.day.toString(QStringLiteral("yyyy-MM-dd ddd")), count)
                             : QStringLiteral("No date  (%1)").arg(count);
}

QString tripText(const LibraryRecording& r, const QDate& day)
{
    return QStringLiteral("Trip %1 - %2, %3")
        .arg(timeOn(r.tripStartUtcMs, day), timeOn(r.tripEndUtcMs, day),
             recordingCount(r.tripRecordings));
}

QString recordingText(const PlacedRecording& placed)
{
    const LibraryRecording& r = placed.recording;
    QString text = r.locked ? QStringLiteral("*") : r.event ? QStringLiteral("!") : QString();
    if (r.startUtcMs) {
        text +=
            localTime(*r.startUtcMs).toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ");
    }
    text += QFileInfo(r.path).fileName();
    const QString place = placeText(placed);
    return place.isEmpty() ? text : text + QStringLiteral("  (") + place + QLatin1Char(')');
}

QString recordingDetails(const PlacedRecording& placed)
{
    const LibraryRecording& r = placed.recording;
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    QStringList lines{QFileInfo(r.path).fileName(),
                      QStringLiteral("Folder: %1").arg(QFileInfo(r.path).path())};
    if (r.startUtcMs) {
        lines << QStringLiteral("Started: %1 (%2 UTC), %3 long")
                     .arg(localTime(*r.startUtcMs).toString(format),
                          QDateTime::fromMSecsSinceEpoch(*r.startUtcMs, Qt::UTC)
                              .toString(QStringLiteral("HH:mm:ss")),
                          duration(r.durationMs));
    } else {
        lines << QStringLiteral("Time not known, %1 long").arg(duration(r.durationMs));
    }
    QString kind = QStringLiteral("Channel %1, layout %2").arg(r.channels, r.layout);
    if (r.locked) {
        kind += QStringLiteral(", locked");
    }
    if (r.event) {
        kind += QStringLiteral(", an event");
    }
    lines << kind;
    lines << (r.cardUuid.isEmpty() ? QStringLiteral("Card: not known")
                                   : QStringLiteral("Card: %1 (%2)").arg(r.cardLabel, r.cardUuid));
    lines << QStringLiteral("Size: %1 MB, written %2")
                 .arg(double(r.size) / 1e6, 0, 'f', 1)
                 .arg(localTime(r.writeTimeMs).toString(format));
    if (r.tripId) {
        lines << QStringLiteral("Trip: %1 to %2, %3")
                     .arg(localTime(r.tripStartUtcMs).toString(format),
                          localTime(r.tripEndUtcMs).toString(format),
                          recordingCount(r.tripRecordings));
    }
    const QString place = placeText(placed);
    lines << (place.isEmpty() ? QStringLiteral("The file is there.")
                              : QStringLiteral("The file is ") + place + QLatin1Char('.'));
    return lines.join(QLatin1Char('\n'));
}

QStandardItem* fixedItem(const QString& text)
{
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    return item;
}

// Stands in for a day's recordings until they are read, so that the day can be opened.
QStandardItem* placeholder(const QString& text)
{
    QStandardItem* item = fixedItem(text);
    item->setSelectable(false);
    return item;
}

}  // namespace

LibraryView::LibraryView(std::function<MountedCards()> cards, QWidget* parent)
    : QWidget(parent, Qt::Window), m_cards(std::move(cards))
{
    setObjectName(QStringLiteral("libraryView"));
    setWindowTitle(QStringLiteral("Library"));
    resize(760, 460);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("libraryTree"));
    m_tree->setModel(&m_model);
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);  // a day of thousands lays out at once
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_details = new QLabel(this);
    m_details->setObjectName(QStringLiteral("libraryDetails"));
    m_details->setTextFormat(Qt::PlainText);
    m_details->setWordWrap(true);
    m_details->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_details->setMargin(8);
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("libraryState"));
    m_state->setTextFormat(Qt::PlainText);

    m_splitter = new QSplitter(this);
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_details);
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_state);
    layout->addWidget(m_splitter, 1);

    connect(m_tree, &QTreeView::expanded, this, &LibraryView::onExpanded);
    connect(m_tree, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        const QVariant key = index.data(kDayRole);
        if (key.isValid()) {
            m_openDays.remove(key.toLongLong());
        }
    });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { onCurrentChanged(current); });
    connect(m_tree, &QTreeView::doubleClicked, this, &LibraryView::onDoubleClicked);

    connect(&m_worker, &LibraryWorker::opened, this,
            [this](const QString&, const LibraryOpening& opening) {
                if (!opening.ok) {
                    setState(QStringLiteral("The library cannot be opened: %1").arg(opening.error));
                }
            });
    connect(&m_worker, &LibraryWorker::daysLoaded, this, &LibraryView::showDays);
    connect(&m_worker, &LibraryWorker::dayLoaded, this, &LibraryView::showDay);
    connect(&m_worker, &LibraryWorker::placesFound, this, &LibraryView::takePlaces);
    connect(&m_worker, &LibraryWorker::trackLoaded, this,
            [this](qlonglong id, const StoredTrack& track, const QString& error) {
                if (id != m_selected) {
                    return;  // another one was selected since
                }
                if (!error.isEmpty()) {
                    setState(error);
                }
                emit trackChosen(track);
            });
}

// A window narrowed beside the player shows the details under the tree, whose names then
// keep the whole width.
void LibraryView::resizeEvent(QResizeEvent* event)
{
    constexpr int kSideBySideWidth = 640;
    m_splitter->setOrientation(width() < kSideBySideWidth ? Qt::Vertical : Qt::Horizontal);
    QWidget::resizeEvent(event);
}

LibraryView::~LibraryView() = default;

void LibraryView::load(const QString& location)
{
    if (!m_opened || location != m_location) {
        m_worker.open(location);
        m_location = location;
        m_opened = true;
    }
    setState(QStringLiteral("Reading the library..."));
    m_worker.loadDays();
}

void LibraryView::setState(const QString& text)
{
    m_state->setText(text);
}

QString LibraryView::stateText() const
{
    return m_state->text();
}

QString LibraryView::detailsText() const
{
    return m_details->text();
}

void LibraryView::showDays(const std::vector<LibraryDay>& days, const QString& error)
{
    m_model.clear();
    m_dayItems.clear();
    m_recordings.clear();
    m_recordingItems.clear();
    m_selected = -1;
    m_details->clear();
    if (!error.isEmpty()) {
        setState(QStringLiteral("The library cannot be read: %1").arg(error));
        return;
    }
    QList<QStandardItem*> rows;
    int recordings = 0;
    for (const LibraryDay& day : days) {
        QStandardItem* item = fixedItem(dayText(day));
        item->setData(dayKey(day.day), kDayRole);
        item->appendRow(placeholder(QStringLiteral("Reading...")));
        m_dayItems.insert(dayKey(day.day), item);
        rows << item;
        recordings += day.recordings;
    }
    m_model.invisibleRootItem()->appendRows(rows);
    setState(days.empty()
                 ? QStringLiteral("The library holds no recordings yet.")
                 : QStringLiteral("%1 recordings on %2 days").arg(recordings).arg(days.size()));
    emit daysShown();
    const QSet<qint64> open = m_openDays;
    for (const qint64 key : open) {
        if (QStandardItem* item = m_dayItems.value(key)) {
            m_tree->expand(item->index());
        }
    }
}

void LibraryView::onExpanded(const QModelIndex& index)
{
    const QVariant key = index.data(kDayRole);
    if (!key.isValid()) {
        return;
    }
    m_openDays.insert(key.toLongLong());
    QStandardItem* item = m_model.itemFromIndex(index);
    if (item->data(kRequestedRole).toBool()) {
        return;
    }
    item->setData(true, kRequestedRole);
    m_worker.loadDay(dayOf(key.toLongLong()), m_cards ? m_cards() : MountedCards());
}

QStandardItem* LibraryView::recordingItem(const PlacedRecording& placed)
{
    QStandardItem* item = fixedItem(recordingText(placed));
    item->setData(placed.recording.id, kRecordingRole);
    item->setToolTip(placed.recording.path);
    m_recordings.insert(placed.recording.id, placed);
    m_recordingItems.insert(placed.recording.id, item);
    return item;
}

void LibraryView::showDay(const QDate& day, const std::vector<PlacedRecording>& recordings,
                          const QString& error)
{
    QStandardItem* dayItem = m_dayItems.value(dayKey(day));
    if (!dayItem) {
        return;  // the days were read again since, without this one
    }
    dayItem->removeRows(0, dayItem->rowCount());
    if (!error.isEmpty()) {
        dayItem->appendRow(placeholder(QStringLiteral("Cannot be read: %1").arg(error)));
        return;
    }
    // Trips in their recordings' order; a trip that began the day before starts the day.
    QList<QStandardItem*> rows;
    QStandardItem* trip = nullptr;
    std::optional<qlonglong> tripId;
    for (const PlacedRecording& placed : recordings) {
        const LibraryRecording& r = placed.recording;
        if (!r.tripId) {
            rows << recordingItem(placed);
            trip = nullptr;
            continue;
        }
        if (!trip || tripId != r.tripId) {
            trip = fixedItem(tripText(r, day));
            tripId = r.tripId;
            rows << trip;
        }
        trip->appendRow(recordingItem(placed));
    }
    dayItem->appendRows(rows);
    // A day of one trip shows its recordings at once.
    if (rows.size() == 1 && rows.front()->hasChildren()) {
        m_tree->expand(rows.front()->index());
    }
    emit dayShown(day);
}

const PlacedRecording* LibraryView::recordingAt(const QModelIndex& index) const
{
    const QVariant id = index.data(kRecordingRole);
    if (!id.isValid()) {
        return nullptr;
    }
    const auto it = m_recordings.constFind(id.toLongLong());
    return it == m_recordings.constEnd() ? nullptr : &*it;
}

void LibraryView::onCurrentChanged(const QModelIndex& index)
{
    const PlacedRecording* placed = recordingAt(index);
    if (!placed) {
        m_selected = -1;
        m_details->clear();
        return;
    }
    m_selected = placed->recording.id;
    m_details->setText(recordingDetails(*placed));
    m_worker.loadTrack(m_selected);
}

void LibraryView::onDoubleClicked(const QModelIndex& index)
{
    if (const PlacedRecording* placed = recordingAt(index)) {
        emit playAsked(*placed);
    }
}

void LibraryView::cardsChanged()
{
    if (m_recordings.isEmpty()) {
        return;
    }
    std::vector<LibraryRecording> recordings;
    recordings.reserve(size_t(m_recordings.size()));
    for (const PlacedRecording& placed : std::as_const(m_recordings)) {
        recordings.push_back(placed.recording);
    }
    m_worker.place(recordings, m_cards ? m_cards() : MountedCards());
}

void LibraryView::takePlaces(const std::vector<PlacedRecording>& recordings)
{
    for (const PlacedRecording& placed : recordings) {
        QStandardItem* item = m_recordingItems.value(placed.recording.id);
        if (!item) {
            continue;  // the days were read again since
        }
        m_recordings.insert(placed.recording.id, placed);
        item->setText(recordingText(placed));
        if (placed.recording.id == m_selected) {
            m_details->setText(recordingDetails(placed));
        }
    }
}
