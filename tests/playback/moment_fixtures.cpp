#include "tests/playback/moment_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <stdexcept>

namespace media {
namespace {

QString onlyFile(const QDir& dir, const QString& pattern)
{
    const QStringList found = dir.entryList({pattern}, QDir::Files);
    if (found.size() != 1) {
        throw std::runtime_error("no single " + pattern.toStdString() + " among the samples");
    }
    return dir.filePath(found.front());
}

}  // namespace

// Made once per build tree; the rename makes a finished folder appear whole.
StampedMoment stampedMoment()
{
    const QString path = QStringLiteral(PLAYBACK_MEDIA_DIR "/moment-hl");
    if (!QDir(path).exists()) {
        const QString temporary =
            path + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
        QDir(temporary).removeRecursively();
        QProcess maker;
        maker.start(QStringLiteral(SAMPLE_MAKER), {temporary, QStringLiteral("3"), "HL"});
        if (!maker.waitForFinished(120000) || maker.exitCode() != 0) {
            throw std::runtime_error("make-sample-recordings failed: " +
                                     maker.readAllStandardError().toStdString());
        }
        QDir().rename(temporary, path);
    }
    const QDir dir(path);
    return {onlyFile(dir, "*_FH.MP4"), onlyFile(dir, "*_RH.MP4")};
}

}  // namespace media
