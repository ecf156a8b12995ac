// The player window's map tiles: from the tile server, or from an MBTiles file the user
// picks, for a map without the internet.
#include "app/player_window.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>

#include "app/player_settings.h"

void PlayerWindow::addTileSourceActions(QMenu& menu)
{
    if (!m_mapView) {
        return;
    }
    menu.addSeparator();
    const QString current = player_settings::tileFile();
    auto* sources = new QActionGroup(&menu);
    QAction* online = menu.addAction(QStringLiteral("Map tiles from the internet"), this,
                                     [this] { useTileFile({}); });
    const QString fileText =
        current.isEmpty()
            ? QStringLiteral("Map tiles from a file...")
            : QStringLiteral("Map tiles from %1...").arg(QFileInfo(current).fileName());
    QAction* file = menu.addAction(fileText, this, [this, current] {
        const QString path =
            m_services.chooseTileFile ? m_services.chooseTileFile(this, current) : QString();
        if (!path.isEmpty()) {
            useTileFile(path);
        }
    });
    for (QAction* action : {online, file}) {
        action->setCheckable(true);
        sources->addAction(action);
    }
    (current.isEmpty() ? online : file)->setChecked(true);
}

// A file that cannot be read leaves the map as it was and says why; the choice is kept
// only when it worked.
void PlayerWindow::useTileFile(const QString& path)
{
    QString error;
    if (!m_mapView) {
        return;
    }
    if (!m_mapView->setTileFile(path, &error)) {
        showStatus(error, 8000);
        return;
    }
    player_settings::setTileFile(path);
}
