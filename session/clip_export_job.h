#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "clip/clip_export.h"

// The cut itself: exportClip, or the export that draws the telemetry into the picture.
using ClipJobExporter = std::function<ClipResult(const ClipRequest&, const CopyControl&)>;

struct ClipJobResult
{
    bool ok = false;
    bool cancelled = false;
    QString error;        // why not, when not ok
    QStringList written;  // every file of every clip, when ok
};
Q_DECLARE_METATYPE(ClipJobResult)

// Exports the clips of a span (one per channel) one after another on a worker thread, so
// that the window and playback go on meanwhile. All or nothing: when one clip fails or the
// user cancels, the clips already written for this span are removed again.
class ClipExportJob : public QObject
{
    Q_OBJECT

public:
    using Exporter = ClipJobExporter;

    explicit ClipExportJob(QObject* parent = nullptr);
    // Cancels a running export and waits for it to clean up.
    ~ClipExportJob() override;

    // False when an export runs already.
    bool start(std::vector<ClipRequest> requests, Exporter exporter);
    void cancel() { m_cancel = true; }
    bool running() const { return m_worker.joinable(); }

signals:
    // The share of the whole export done, 0 to 1, in steps of a thousandth at most.
    void progress(double share);
    void finished(const ClipJobResult& result);

private:
    void run(const std::vector<ClipRequest>& requests, const Exporter& exporter);
    void reportProgress(double share);
    void finish(ClipJobResult result);

    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_shownPerMille{-1};
};
