#include <QCoreApplication>
#include <QLoggingCategory>

#include "app/player_application.h"
#include "app/player_command_line.h"
#include "map/map_page.h"
#include "map/map_tiles.h"
#include "playback/allocator_arenas.h"

int main(int argc, char** argv)
{
    tuneAllocator();
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const PlayerCommandLine commandLine = parsePlayerCommandLine(arguments);
    if (const int status = answerCommandLine(commandLine); status >= 0) {
        return status;
    }
    // The web engine lists its start-up parameters on every start; a player keeps quiet.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    // The map's web view shares its GL context with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The map asks for tiles from a file through its own scheme, known before the engine starts.
    registerTileScheme();
    registerAskScheme();  // and tells the window through a scheme of its own
    PlayerApplication app(argc, argv);
    return app.runPlayer(commandLine.paths);
}
