// The player window's repair of a recording that was cut off before its index was written.
#include "app/player_window.h"

#include <QFile>
#include <QFileInfo>

#include "app/recording_repairer.h"
#include "repair/recording_repair.h"

bool PlayerWindow::rowLacksIndex(int row) const
{
    const PlaylistCatalogue& catalogue = m_session.catalogue();
    return row >= 0 && row < catalogue.count() && lacksIndex(catalogue.entryAt(row).filePath);
}

void PlayerWindow::onRepairFile()
{
    const int row = selectedRow();
    if (!rowLacksIndex(row)) {
        return;
    }
    if (!m_repairer) {
        m_repairer = std::make_unique<RecordingRepairer>();
        connect(m_repairer.get(), &RecordingRepairer::repaired, this, [this](const QString& copy) {
            showStatus(QStringLiteral("Repaired copy: %1").arg(QFileInfo(copy).fileName()));
            m_session.importPaths({copy});
        });
        connect(m_repairer.get(), &RecordingRepairer::failed, this, [this](const QString& reason) {
            showStatus(QStringLiteral("Not repaired: %1").arg(reason));
        });
    }
    const QString path = QFile::decodeName(m_session.catalogue().entryAt(row).filePath.c_str());
    if (!m_repairer->start(path)) {
        showStatus(QStringLiteral("A repair is under way; wait for it to end."));
        return;
    }
    showStatus(QStringLiteral("Repairing a copy of %1...").arg(QFileInfo(path).fileName()));
}
