#include "app/library_worker.h"

#include <QMetaObject>

#include "library/recording_scan.h"

namespace {

// Files per slice of an import: each slice is one incremental import of its own, and the
// worker's end waits for the slice under way.
constexpr qsizetype kImportSlice = 200;

void addUp(ImportSummary& total, const ImportSummary& part)
{
    total.read += part.read;
    total.unchanged += part.unchanged;
    total.problems << part.problems;
}

}  // namespace

LibraryWorker::LibraryWorker(QObject* parent) : QObject(parent), m_context(new QObject)
{
    m_thread.setObjectName(QStringLiteral("library"));
    m_context->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_context, &QObject::deleteLater);
    m_thread.start();
}

LibraryWorker::~LibraryWorker()
{
    m_stopping = true;
    // The connection is closed on the thread that opened it, after the jobs asked before
    // (an import among them stops after its slice under way).
    post([this] {
        m_library.reset();
        m_thread.quit();
    });
    m_thread.wait();
}

void LibraryWorker::post(std::function<void()> job)
{
    QMetaObject::invokeMethod(m_context, std::move(job), Qt::QueuedConnection);
}

void LibraryWorker::answer(std::function<void()> done)
{
    QMetaObject::invokeMethod(this, std::move(done), Qt::QueuedConnection);
}

void LibraryWorker::open(const QString& location)
{
    post([this, location] {
        m_library = std::make_unique<Library>();
        const LibraryOpening opening = m_library->open(location);
        m_open = opening.ok;
        m_openError = opening.error;
        answer([this, location, opening] { emit opened(location, opening); });
    });
}

void LibraryWorker::import(const QStringList& paths)
{
    post([this, paths] {
        if (!m_open || m_library->isReadOnly() || m_stopping) {
            return;  // said when it opened
        }
        const ImportSummary summary = importInSlices(paths);
        answer([this, summary] { emit imported(summary); });
    });
}

ImportSummary LibraryWorker::importInSlices(const QStringList& paths)
{
    ImportSummary total;
    QStringList unreadable;
    const QList<FoundFile> files = findRecordingFiles(paths, unreadable);
    total.found = int(files.size());
    for (const QString& path : unreadable) {
        total.problems
            << QStringLiteral("%1: not a folder or recording that can be read").arg(path);
    }
    for (qsizetype first = 0; first < files.size() && !m_stopping; first += kImportSlice) {
        QStringList slice;
        for (qsizetype i = first; i < std::min(files.size(), first + kImportSlice); ++i) {
            slice << files[i].path;
        }
        const ImportSummary part = m_library->importFolders(slice);
        addUp(total, part);
        if (!part.error.isEmpty()) {
            total.error = part.error;
            break;
        }
    }
    return total;
}

void LibraryWorker::loadDays()
{
    post([this] {
        QString error = m_open ? QString() : m_openError;
        std::vector<LibraryDay> days;
        if (m_open) {
            days = m_library->days(error);
        }
        answer([this, days = std::move(days), error] { emit daysLoaded(days, error); });
    });
}

void LibraryWorker::loadDay(const QDate& day, const MountedCards& cards)
{
    post([this, day, cards] {
        QString error = m_open ? QString() : m_openError;
        std::vector<PlacedRecording> placed;
        if (m_open) {
            for (const LibraryRecording& recording : m_library->recordingsOn(day, error)) {
                placed.push_back(placeRecording(recording, cards));
            }
        }
        answer(
            [this, day, placed = std::move(placed), error] { emit dayLoaded(day, placed, error); });
    });
}

void LibraryWorker::loadTrack(qlonglong recordingId)
{
    post([this, recordingId] {
        QString error;
        std::optional<StoredTrack> track;
        if (m_open) {
            track = m_library->trackOf(recordingId, error);
        }
        answer([this, recordingId, track = track.value_or(StoredTrack{}), error] {
            emit trackLoaded(recordingId, track, error);
        });
    });
}

void LibraryWorker::place(const std::vector<LibraryRecording>& recordings,
                          const MountedCards& cards)
{
    post([this, recordings, cards] {
        std::vector<PlacedRecording> placed;
        for (const LibraryRecording& recording : recordings) {
            placed.push_back(placeRecording(recording, cards));
        }
        answer([this, placed = std::move(placed)] { emit placesFound(placed); });
    });
}
