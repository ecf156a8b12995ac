#include <QCoreApplication>
#include <QLoggingCategory>

#include "player_app.h"

int main(int argc, char** argv)
{
    // The web engine lists its start-up parameters on every start; a player keeps quiet.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    // The map's web view shares its GL context with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    CPlayerApp app(argc, argv);
    return app.InitInstance();
}
