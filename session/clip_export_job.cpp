#include "session/clip_export_job.h"

#include <QMetaObject>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

void removeAll(const std::vector<std::string>& files)
{
    for (const std::string& file : files) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
}

}  // namespace

ClipExportJob::ClipExportJob(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<ClipJobResult>();
}

ClipExportJob::~ClipExportJob()
{
    m_cancel = true;
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

bool ClipExportJob::start(std::vector<ClipRequest> requests, Exporter exporter)
{
    if (running()) {
        return false;
    }
    m_cancel = false;
    m_shownPerMille = -1;
    m_worker = std::thread([this, requests = std::move(requests), exporter = std::move(exporter)] {
        run(requests, exporter);
    });
    return true;
}

void ClipExportJob::run(const std::vector<ClipRequest>& requests, const Exporter& exporter)
{
    ClipJobResult result;
    std::vector<std::string> written;
    const double parts = static_cast<double>(requests.size());
    for (size_t i = 0; i < requests.size(); ++i) {
        const CopyControl control{[this, i, parts](double share) {
                                      reportProgress((static_cast<double>(i) + share) / parts);
                                  },
                                  &m_cancel};
        const ClipResult clip = exporter(requests[i], control);
        if (!clip.ok) {
            removeAll(written);
            result.cancelled = m_cancel.load();
            result.error =
                result.cancelled ? QStringLiteral("cancelled") : QString::fromStdString(clip.error);
            finish(result);
            return;
        }
        written.insert(written.end(), clip.written.begin(), clip.written.end());
    }
    result.ok = true;
    for (const std::string& file : written) {
        result.written << QString::fromStdString(file);
    }
    finish(result);
}

// On the worker: only a change of a thousandth goes to the window.
void ClipExportJob::reportProgress(double share)
{
    const int perMille = static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * 1000));
    if (m_shownPerMille.exchange(perMille) == perMille) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, perMille] { emit progress(perMille / 1000.0); }, Qt::QueuedConnection);
}

// Back on the object's thread, once the worker has ended: then running() is false again.
void ClipExportJob::finish(ClipJobResult result)
{
    QMetaObject::invokeMethod(
        this,
        [this, result] {
            if (m_worker.joinable()) {
                m_worker.join();
            }
            emit finished(result);
        },
        Qt::QueuedConnection);
}
