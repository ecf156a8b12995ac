#include <QCoreApplication>

#include "player_app.h"

int main(int argc, char** argv)
{
    // The map's web view shares its GL context with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    CPlayerApp app(argc, argv);
    return app.InitInstance();
}
