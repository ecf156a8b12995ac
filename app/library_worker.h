#pragma once

#include <QDate>
#include <QObject>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "app/library_places.h"
#include "library/library.h"

// One library connection on a thread of its own: the window asks and goes on, and the
// answers come back as signals on the window's thread, in the order asked. An import under
// way ends at the next file when the worker ends, its batches stored until then.
class LibraryWorker : public QObject
{
    Q_OBJECT
public:
    explicit LibraryWorker(QObject* parent = nullptr);
    ~LibraryWorker() override;
    LibraryWorker(const LibraryWorker&) = delete;
    LibraryWorker& operator=(const LibraryWorker&) = delete;

    // Opens (or opens again) the library at the location; empty: the default file.
    void open(const QString& location);
    // Adds the recordings under the paths (files or folders); nothing on a read-only library.
    void import(const QStringList& paths);
    void loadDays();
    // The day's recordings (an invalid date: the undated ones), each placed over the cards.
    void loadDay(const QDate& day, const MountedCards& cards);
    void loadTrack(qlonglong recordingId);
    // The recordings placed again, after a card came or went.
    void place(const std::vector<LibraryRecording>& recordings, const MountedCards& cards);

signals:
    void opened(const QString& location, const LibraryOpening& opening);
    void imported(const ImportSummary& summary);
    void daysLoaded(const std::vector<LibraryDay>& days, const QString& error);
    void dayLoaded(const QDate& day, const std::vector<PlacedRecording>& recordings,
                   const QString& error);
    void trackLoaded(qlonglong recordingId, const StoredTrack& track, const QString& error);
    void placesFound(const std::vector<PlacedRecording>& recordings);

private:
    // Runs the job on the worker's thread, after those asked before.
    void post(std::function<void()> job);
    // Runs the answer on the window's thread.
    void answer(std::function<void()> done);

    QThread m_thread;
    QObject* m_context;                  // lives on m_thread: the jobs run in its events
    std::unique_ptr<Library> m_library;  // made, used and closed on m_thread only
    bool m_open = false;                 // touched on m_thread only
    QString m_openError;                 // why the last open failed, on m_thread
    std::atomic_bool m_stopping{false};
};
