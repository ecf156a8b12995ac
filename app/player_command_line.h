#pragma once

#include <QString>
#include <QStringList>

// The player's command line: the recordings and folders to open. --help is answered before
// any window exists (so it works without a display); an unknown option is an error.
struct PlayerCommandLine
{
    enum class Outcome { Run, Answer, Error };
    Outcome outcome = Outcome::Run;
    QStringList paths;  // Run
    QString text;       // Answer: for standard output; Error: for standard error
};

// `arguments` as main() receives them, the program's name first.
PlayerCommandLine parsePlayerCommandLine(const QStringList& arguments);

// Exit status and output for an Answer (0) or an Error (2); -1 for Run.
int answerCommandLine(const PlayerCommandLine& commandLine);
