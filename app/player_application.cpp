#include "player_application.h"

#include <QTimer>

#include <cstdio>

#include "gstreamer_init.h"
#include "player_window.h"

PlayerApplication::PlayerApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("dashcam-player"));
    // Settings go to ~/.config/dashcam-player/dashcam-player.conf, not "Unknown Organization".
    setOrganizationName(QStringLiteral("dashcam-player"));
    setApplicationDisplayName(QStringLiteral("Player"));
    setDesktopFileName(QStringLiteral("dashcam-player"));
}

int PlayerApplication::runPlayer(const QStringList& paths)
{
    QString reason;
    if (!initGStreamer(&reason)) {
        std::fprintf(stderr, "dashcam-player: %s\n", qPrintable(reason));
        return 1;
    }
    PlayerWindow dialog;
    // The window exists before the paths are played, as after a double-click.
    QTimer::singleShot(0, &dialog, [&dialog, paths] {
        if (!paths.isEmpty()) {
            dialog.importPaths(paths);
        }
    });
    dialog.exec();
    return 0;
}
