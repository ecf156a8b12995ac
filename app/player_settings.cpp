#include "player_settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kSnapshotFolder = QStringLiteral("snapshot/folder");

}  // namespace

namespace player_settings {

QString SnapshotFolder()
{
    const QString saved = QSettings().value(kSnapshotFolder).toString();
    if (!saved.isEmpty() && QDir(saved).exists()) {
        return saved;
    }
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return pictures.isEmpty() ? QDir::homePath() : pictures;
}

void SetSnapshotFolder(const QString& folder)
{
    QSettings().setValue(kSnapshotFolder, folder);
}

}  // namespace player_settings
