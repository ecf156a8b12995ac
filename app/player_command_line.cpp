#include "app/player_command_line.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

void describeOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Plays dashcam recordings with the map, speed, heading and G-sensor chart of their "
        "telemetry.\nA single file is played at once; folders are imported into the play list."));
    // Not addHelpOption(): its --help-all lists Qt's own options, which this parser refuses.
    parser.addOption(
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")});
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Recordings or folders to open."),
                                 QStringLiteral("[FILE-OR-FOLDER...]"));
}

// Parsed before the application object exists, the help has no program name of its own.
QString helpText(const QCommandLineParser& parser)
{
    return parser.helpText().replace(QStringLiteral("<executable_name>"),
                                     QStringLiteral("dashcam-player"));
}

}  // namespace

PlayerCommandLine parsePlayerCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    describeOptions(parser);
    PlayerCommandLine result;
    if (!parser.parse(arguments)) {
        result.outcome = PlayerCommandLine::Outcome::Error;
        result.text =
            QStringLiteral("dashcam-player: %1\n%2").arg(parser.errorText(), helpText(parser));
    } else if (parser.isSet(QStringLiteral("help"))) {
        result.outcome = PlayerCommandLine::Outcome::Answer;
        result.text = helpText(parser);
    } else {
        result.paths = parser.positionalArguments();
    }
    return result;
}

int answerCommandLine(const PlayerCommandLine& commandLine)
{
    switch (commandLine.outcome) {
    case PlayerCommandLine::Outcome::Answer:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stdout);
        return 0;
    case PlayerCommandLine::Outcome::Error:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stderr);
        return 2;
    case PlayerCommandLine::Outcome::Run: break;
    }
    return -1;
}
