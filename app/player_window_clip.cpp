// The player window's clips: the in and out marks on the seek bar, and the export of the
// span between them with its progress.
#include "app/player_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>

#include "app/player_settings.h"
#include "clip/overlay_encoder.h"
#include "controls/seek_slider.h"
#include "session/clip_export_job.h"
#include "skin/skin_palette.h"

namespace {

constexpr int kProgressSteps = 1000;

}  // namespace

void PlayerWindow::setMark(PlaybackSession::Mark which)
{
    m_session.setMark(which);
}

// The marks that lie in the open recording; a mark in another one has no place on its bar.
void PlayerWindow::showMarkTicks()
{
    std::vector<SeekTick> ticks;
    const ClipMarks& marks = m_session.marks();
    const std::string& open = m_session.openFile();
    for (const auto& [mark, colour] :
         {std::pair{&marks.in, palette::kGo}, std::pair{&marks.out, palette::kWarn}}) {
        if (*mark && !open.empty() && (*mark)->file == open) {
            ticks.push_back({seekBarMs((*mark)->seconds), colour});
        }
    }
    m_seekSlider->setTicks(kMarkTicks, std::move(ticks));
}

bool PlayerWindow::clipExportRunning() const
{
    return m_clipJob && m_clipJob->running();
}

void PlayerWindow::cancelClipExport()
{
    if (clipExportRunning()) {
        m_clipJob->cancel();
    }
}

void PlayerWindow::onExportClip()
{
    if (clipExportRunning()) {
        showStatus(QStringLiteral("A clip is being exported; wait for it or cancel it first."));
        return;
    }
    QString problem;
    const std::optional<MarkedSpan> span = m_session.markedSpan(problem);
    if (!span) {
        showStatus(QStringLiteral("No clip to export: %1.").arg(problem));
        return;
    }
    const std::optional<ClipTarget> target =
        m_services.chooseClipTarget
            ? m_services.chooseClipTarget(this, player_settings::exportFolder())
            : std::nullopt;
    if (target) {
        startClipExport(*span, *target);
    }
}

void PlayerWindow::startClipExport(const MarkedSpan& span, const ClipTarget& target)
{
    if (!QFileInfo(target.folder).isDir()) {
        showStatus(QStringLiteral("The clip was not saved: %1 is no folder.").arg(target.folder));
        return;
    }
    if (!m_clipJob) {
        m_clipJob = std::make_unique<ClipExportJob>();
        connect(m_clipJob.get(), &ClipExportJob::finished, this, &PlayerWindow::onClipExported);
    }
    const std::string folder = QFile::encodeName(QDir(target.folder).absolutePath()).toStdString();
    std::vector<ClipRequest> requests = clipRequests(span, folder, m_speedUnit);
    for (ClipRequest& request : requests) {
        if (target.overlay) {
            request.reencode = encodeWithOverlay;
        }
    }
    m_clipJob->start(std::move(requests), exportClip);
    player_settings::setExportFolder(QDir(target.folder).absolutePath());

    // Not modal: the player plays on, and its keys work, while the clip is written.
    m_clipProgress = new QProgressDialog(QStringLiteral("Exporting the clip..."),
                                         QStringLiteral("Cancel"), 0, kProgressSteps, this);
    m_clipProgress->setWindowTitle(QStringLiteral("Export clip"));
    m_clipProgress->setWindowModality(Qt::NonModal);
    m_clipProgress->setAutoClose(false);
    m_clipProgress->setAutoReset(false);
    m_clipProgress->setMinimumDuration(0);
    m_clipProgress->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_clipProgress, &QProgressDialog::canceled, m_clipJob.get(), &ClipExportJob::cancel);
    connect(m_clipJob.get(), &ClipExportJob::progress, m_clipProgress,
            [dialog = m_clipProgress](double share) {
                dialog->setValue(static_cast<int>(share * kProgressSteps));
            });
    m_clipProgress->show();
}

void PlayerWindow::onClipExported(const ClipJobResult& result)
{
    if (m_clipProgress) {
        m_clipProgress->close();
        m_clipProgress = nullptr;
    }
    if (result.cancelled) {
        showStatus(QStringLiteral("The clip export was cancelled; nothing was saved."));
    } else if (!result.ok) {
        showStatus(QStringLiteral("The clip was not saved: %1").arg(result.error));
    } else {
        QStringList names;
        for (const QString& file : result.written) {
            names << QFileInfo(file).fileName();
        }
        showStatus(QStringLiteral("Saved %1 in %2")
                       .arg(names.join(QStringLiteral(", ")),
                            QFileInfo(result.written.front()).absolutePath()));
    }
}
