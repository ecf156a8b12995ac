#include "app/player_application.h"

#include <QScreen>
#include <QTimer>

#include <cstdio>

#include "app/player_window.h"
#include "playback/gstreamer_init.h"

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
    PlayerWindow window;
    // In the middle of the screen, where a desktop without a window manager leaves it too.
    window.move(primaryScreen()->availableGeometry().center() - window.rect().center());
    window.show();
    // The window is shown before the paths are played, as after a double-click.
    QTimer::singleShot(0, &window, [&window, paths] {
        if (!paths.isEmpty()) {
            window.importPaths(paths);
        }
    });
    return exec();
}
