#include "player_settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kSnapshotFolder = QStringLiteral("snapshot/folder");
const QString kExportFolder = QStringLiteral("export/folder");

// The saved folder while it exists, else the standard one, else home.
QString FolderOr(const QString& key, QStandardPaths::StandardLocation fallback)
{
    const QString saved = QSettings().value(key).toString();
    if (!saved.isEmpty() && QDir(saved).exists()) {
        return saved;
    }
    const QString standard = QStandardPaths::writableLocation(fallback);
    return standard.isEmpty() ? QDir::homePath() : standard;
}

}  // namespace

namespace player_settings {

QString SnapshotFolder()
{
    return FolderOr(kSnapshotFolder, QStandardPaths::PicturesLocation);
}

void SetSnapshotFolder(const QString& folder)
{
    QSettings().setValue(kSnapshotFolder, folder);
}

QString ExportFolder()
{
    return FolderOr(kExportFolder, QStandardPaths::DocumentsLocation);
}

void SetExportFolder(const QString& folder)
{
    QSettings().setValue(kExportFolder, folder);
}

}  // namespace player_settings
