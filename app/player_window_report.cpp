// The player window's Print button: the incident report of the moment shown, made while
// playback goes on, then handed to the print dialog.
#include "app/player_window.h"

#include <QFileInfo>
#include <QLabel>
#include <QPrinter>

#include <algorithm>

#include "app/incident_report.h"
#include "app/report_document.h"
#include "controls/skin_button.h"

namespace {

constexpr int kPreparingNoteMs = 10 * 60 * 1000;

bool frameShown(PlayState state)
{
    return state == PlayState::Running || state == PlayState::Paused;
}

// The name the dialog offers for a PDF: the recording's and the moment's, as a snapshot's
// (20240611_081500_00m42s_report).
QString reportName(const IncidentFacts& facts)
{
    const int seconds = std::max(0, static_cast<int>(facts.positionSeconds));
    return QStringLiteral("%1_%2m%3s_report")
        .arg(QFileInfo(facts.recording).completeBaseName())
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

void PlayerWindow::setUpReport()
{
    connect(m_printButton, &QAbstractButton::clicked, this, &PlayerWindow::onPrint);
    m_printButton->setEnabled(false);
    connect(&m_session, &PlaybackSession::stateChanged, this, [this](PlayState state) {
        m_printButton->setEnabled(frameShown(state) && !m_reportJob);
    });
}

void PlayerWindow::onPrint()
{
    if (m_reportJob) {
        return;  // one report at a time
    }
    std::optional<IncidentFacts> facts = captureIncident(m_session, m_speedUnit);
    if (!facts) {
        showStatus(QStringLiteral("Play a recording to print a report of the moment shown."));
        return;
    }
    m_reportJob = std::make_unique<IncidentReportJob>(std::move(*facts));
    m_printButton->setEnabled(false);
    // Shown until the report is ready: hashing recordings of gigabytes takes a while.
    showStatus(QStringLiteral("Preparing the report: checking the recording's files..."),
               kPreparingNoteMs);
    connect(m_reportJob.get(), &IncidentReportJob::ready, this, &PlayerWindow::printReport,
            Qt::QueuedConnection);
    m_reportJob->start(m_mapView.get());
}

void PlayerWindow::printReport()
{
    const std::unique_ptr<IncidentReportJob> job = std::move(m_reportJob);
    m_printButton->setEnabled(frameShown(m_session.state()));
    m_statusLine->hide();
    m_statusLine->hide();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(reportName(job->facts()));
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    if (!m_services.choosePrinter || !m_services.choosePrinter(this, printer)) {
        return;
    }
    const QString problem = printIncidentReport(job->facts(), printer);
    const QString target = printer.outputFormat() == QPrinter::PdfFormat
                               ? QFileInfo(printer.outputFileName()).fileName()
                               : printer.printerName();
    if (!problem.isEmpty()) {
        showStatus(QStringLiteral("The report was not printed to %1: %2").arg(target, problem));
        return;
    }
    showStatus(QStringLiteral("The report was printed to %1.").arg(target));
}
