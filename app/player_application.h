#pragma once

#include <QApplication>

// The application object: starts the media framework, runs the player window modally for
// the life of the process, and hands it the paths given on the command line.
class PlayerApplication : public QApplication
{
public:
    PlayerApplication(int& argc, char** argv);

    // The start-up routine, with the files and folders to open; the process's exit code.
    int runPlayer(const QStringList& paths);
};
