#include "app/library_worker.h"

#include <QMetaObject>

#include "library/recording_scan.h"

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
    // (an import among them stops at its next file).
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
        // Ended between two files when the window closes.
        const ImportSummary summary =
            m_library->importFolders(paths, [this] { return m_stopping.load(); });
        answer([this, summary] { emit imported(summary); });
    });
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
