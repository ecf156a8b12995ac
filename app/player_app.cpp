#include "player_app.h"

#include <gst/gst.h>

#include <QTimer>

#include "player_dlg.h"

CPlayerApp::CPlayerApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("dashcam-player"));
    // Settings go to ~/.config/dashcam-player/dashcam-player.conf, not "Unknown Organization".
    setOrganizationName(QStringLiteral("dashcam-player"));
    setApplicationDisplayName(QStringLiteral("Player"));
    setDesktopFileName(QStringLiteral("dashcam-player"));
}

int CPlayerApp::InitInstance(const QStringList& paths)
{
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        g_clear_error(&error);
        return 1;
    }
    CPlayerDlg dialog;
    // The window exists before the paths are played, as after a double-click.
    QTimer::singleShot(0, &dialog, [&dialog, paths] {
        if (!paths.isEmpty()) {
            dialog.ImportPaths(paths);
        }
    });
    dialog.exec();
    return 0;
}
