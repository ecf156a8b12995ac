#include "player_settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kSnapshotFolder = QStringLiteral("snapshot/folder");
const QString kImportFolder = QStringLiteral("import/folder");
const QString kVolume = QStringLiteral("play/volume");
const QString kUnits = QStringLiteral("display/units");
const QString kCycle = QStringLiteral("play/cycle");
const QString kChartView = QStringLiteral("display/chart");

const QString kMph = QStringLiteral("mph");
const QString kSpeedView = QStringLiteral("speed");

// A whole number in min..max, else the fallback: a hand-edited or damaged file never
// reaches the window as a level it cannot show.
int ReadInt(const QString& key, int min, int max, int fallback)
{
    bool ok = false;
    const int value = QSettings().value(key).toString().toInt(&ok);
    return ok && value >= min && value <= max ? value : fallback;
}

QString ExistingFolder(const QString& key)
{
    const QString saved = QSettings().value(key).toString();
    return !saved.isEmpty() && QDir(saved).exists() ? saved : QString();
}

const QString kExportFolder = QStringLiteral("export/folder");

// The saved folder while it exists, else the standard one, else home.
QString FolderOr(const QString& key, QStandardPaths::StandardLocation fallback)
{
    const QString saved = ExistingFolder(key);
    if (!saved.isEmpty()) {
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

QString ImportFolder()
{
    return ExistingFolder(kImportFolder);
}

void SetImportFolder(const QString& folder)
{
    QSettings().setValue(kImportFolder, folder);
}

int VolumeLevel()
{
    return ReadInt(kVolume, 0, 10, -1);
}

void SetVolumeLevel(int level)
{
    QSettings().setValue(kVolume, level);
}

SpeedUnit Units()
{
    return QSettings().value(kUnits).toString() == kMph ? SpeedUnit::Mph : SpeedUnit::Kmh;
}

void SetUnits(SpeedUnit unit)
{
    QSettings().setValue(kUnits, unit == SpeedUnit::Mph ? kMph : QStringLiteral("kmh"));
}

bool CycleMode()
{
    return ReadInt(kCycle, 0, 1, 1) == 1;
}

void SetCycleMode(bool on)
{
    QSettings().setValue(kCycle, on ? 1 : 0);
}

bool ChartSpeedView()
{
    return QSettings().value(kChartView).toString() == kSpeedView;
}

void SetChartSpeedView(bool speedView)
{
    QSettings().setValue(kChartView, speedView ? kSpeedView : QStringLiteral("g"));
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
