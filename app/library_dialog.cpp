#include "app/library_dialog.h"

#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace {

enum Column { TimeColumn, DistanceColumn, PositionColumn, RecordingColumn };

const QString kMomentFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString localTimeText(const std::optional<std::int64_t>& utcMs)
{
    return utcMs ? QDateTime::fromMSecsSinceEpoch(*utcMs).toLocalTime().toString(kMomentFormat)
                 : QStringLiteral("time unknown");
}

QString positionText(double latitude, double longitude)
{
    return QStringLiteral("%1, %2").arg(latitude, 0, 'f', 6).arg(longitude, 0, 'f', 6);
}

QString metresText(double metres)
{
    return QStringLiteral("%1 m").arg(std::llround(metres));
}

QString recordingsText(size_t count)
{
    return count == 1 ? QStringLiteral("1 recording") : QStringLiteral("%1 recordings").arg(count);
}

}  // namespace

LibraryAnswer askLibrary(const QString& location, const LibraryQuestion& question)
{
    LibraryAnswer answer;
    if (!isServerLocation(location) && !QFileInfo::exists(location)) {
        answer.error = QStringLiteral("There is no library at %1 yet: recordings join it as "
                                      "they are imported.")
                           .arg(location);
        return answer;
    }
    Library library;  // this thread's own connection, closed before the thread moves on
    const LibraryOpening opening = library.open(location);
    if (!opening.ok) {
        answer.error =
            QStringLiteral("The library at %1 cannot be opened: %2").arg(location, opening.error);
        return answer;
    }
    answer.hits = question(library, answer.error);
    std::vector<qlonglong> ids;
    for (const LibraryHit& hit : answer.hits) {
        ids.push_back(hit.recordingId);
    }
    QString detailsError;  // without the details a hit still plays where it was found
    for (LibraryRecording& recording : library.recordings(ids, detailsError)) {
        answer.recordings.insert(recording.id, std::move(recording));
    }
    return answer;
}

LibraryDialog::LibraryDialog(Question question, QString location, QWidget* parent)
    : QDialog(parent), m_question(question), m_location(std::move(location))
{
    const bool whereAt = question == Question::WhereAt;
    setWindowTitle(whereAt ? QStringLiteral("Where was I at...") : QStringLiteral("Passed here"));
    auto* column = new QVBoxLayout(this);
    if (whereAt) {
        m_moment = new QDateTimeEdit(this);
        m_moment->setObjectName(QStringLiteral("moment"));
        m_moment->setDisplayFormat(kMomentFormat);
        m_moment->setCalendarPopup(true);
        m_moment->setDateTime(QDateTime::currentDateTime());
        auto* find = new QPushButton(QStringLiteral("Find"), this);
        find->setObjectName(QStringLiteral("find"));
        find->setDefault(true);
        connect(find, &QPushButton::clicked, this, &LibraryDialog::askWhereAt);
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("Date and time (local):"), this));
        row->addWidget(m_moment, 1);
        row->addWidget(find);
        column->addLayout(row);
    }
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("state"));
    m_state->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("recordings"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({whereAt ? QStringLiteral("Time") : QStringLiteral("Closest at"),
                             QStringLiteral("Distance"), QStringLiteral("Position"),
                             QStringLiteral("Recording")});
    m_list->setColumnHidden(DistanceColumn, whereAt);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_list, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { chooseRow(m_list->indexOfTopLevelItem(item)); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_play = buttons->addButton(QStringLiteral("Play"), QDialogButtonBox::ActionRole);
    m_play->setObjectName(QStringLiteral("play"));
    m_play->setAutoDefault(false);
    m_play->setEnabled(false);
    connect(m_play, &QPushButton::clicked, this, [this] {
        const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
        chooseRow(row < 0 ? 0 : row);
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(m_state);
    column->addWidget(m_list, 1);
    column->addWidget(
        new QLabel(QStringLiteral("Double-click a recording to play it from then."), this));
    column->addWidget(buttons);
    resize(640, 320);
    connect(&m_search, &QFutureWatcher<LibraryAnswer>::finished, this, &LibraryDialog::takeAnswer);
}

LibraryDialog::~LibraryDialog() = default;

QString LibraryDialog::stateText() const
{
    return m_state->text();
}

void LibraryDialog::askPassedHere(double latitude, double longitude, double metres)
{
    ask([=](Library& library,
            QString& error) { return library.passedHere(latitude, longitude, metres, error); },
        QStringLiteral("within %1 of %2")
            .arg(metresText(metres), positionText(latitude, longitude)));
}

void LibraryDialog::askWhereAt()
{
    if (!m_moment) {
        return;
    }
    const QDateTime moment = m_moment->dateTime();
    const qint64 utcMs = moment.toMSecsSinceEpoch();
    ask([=](Library& library, QString& error) { return library.whereAt(utcMs, error); },
        moment.toString(kMomentFormat));
}

void LibraryDialog::ask(const LibraryQuestion& question, const QString& asked)
{
    m_asked = asked;
    m_hits.clear();
    m_list->clear();
    m_play->setEnabled(false);
    m_searching = true;
    m_state->setText(QStringLiteral("Searching..."));
    // The worker owns copies of all it uses: the dialog may go before it ends.
    m_search.setFuture(QtConcurrent::run(
        [location = m_location, question] { return askLibrary(location, question); }));
}

void LibraryDialog::takeAnswer()
{
    if (!m_search.future().isFinished()) {
        return;  // the end of a question replaced meanwhile
    }
    const LibraryAnswer answer = m_search.result();
    m_searching = false;
    m_hits = answer.hits;
    m_recordings = answer.recordings;
    const bool whereAt = m_question == Question::WhereAt;
    if (!answer.error.isEmpty()) {
        m_state->setText(answer.error);
    } else if (m_hits.empty()) {
        m_state->setText(whereAt ? QStringLiteral("No recording at %1.").arg(m_asked)
                                 : QStringLiteral("No recording passed %1.").arg(m_asked));
    } else if (whereAt) {
        m_state->setText(QStringLiteral("At %1 you were at %2 (%3).")
                             .arg(m_asked,
                                  positionText(m_hits.front().latitude, m_hits.front().longitude),
                                  recordingsText(m_hits.size())));
    } else {
        m_state->setText(QStringLiteral("%1 passed %2, newest first.")
                             .arg(recordingsText(m_hits.size()), m_asked));
    }
    fillList();
    m_play->setEnabled(!m_hits.empty());
    emit answered();
}

void LibraryDialog::fillList()
{
    m_list->clear();
    for (const LibraryHit& hit : m_hits) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(TimeColumn, localTimeText(hit.utcMs));
        item->setText(DistanceColumn, metresText(hit.metres));
        item->setText(PositionColumn, positionText(hit.latitude, hit.longitude));
        item->setText(RecordingColumn, QFileInfo(hit.path).fileName());
        item->setToolTip(RecordingColumn, hit.path);
    }
}

void LibraryDialog::chooseRow(int row)
{
    if (row < 0 || row >= static_cast<int>(m_hits.size())) {
        return;
    }
    const LibraryHit& hit = m_hits[static_cast<size_t>(row)];
    LibraryRecording recording = m_recordings.value(hit.recordingId);
    recording.id = hit.recordingId;
    recording.path = hit.path;
    emit recordingChosen(recording, hit.utcMs);
}
