#include "app/player_settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QVariantList>

namespace {

// Keys of the settings file, by the group they are stored under.
constexpr char kSnapshotFolder[] = "snapshot/folder";
constexpr char kImportFolder[] = "import/folder";

constexpr char kVolume[] = "play/volume";
constexpr char kCycle[] = "play/cycle";

constexpr char kUnits[] = "display/units";
constexpr char kChartView[] = "display/chart";

constexpr char kArrangement[] = "display/arrangement";
constexpr char kInsetCorner[] = "display/insetCorner";
constexpr char kInsetSize[] = "display/insetSize";
constexpr char kMirrorRear[] = "display/mirrorRear";

constexpr char kLongitudinalG[] = "events/longitudinal_g";
constexpr char kLateralG[] = "events/lateral_g";
constexpr char kImpactG[] = "events/impact_g";
constexpr double kMinThresholdG = 0.05;
constexpr double kMaxThresholdG = 4.0;

constexpr char kMph[] = "mph";
constexpr char kSpeedView[] = "speed";

// A whole number in min..max, else the fallback: a hand-edited or damaged file never
// reaches the window as a level it cannot show.
int readInt(const QString& key, int min, int max, int fallback)
{
    bool ok = false;
    const int value = QSettings().value(key).toString().toInt(&ok);
    return ok && value >= min && value <= max ? value : fallback;
}

double readThreshold(const QString& key, double fallback)
{
    bool ok = false;
    const double value = QSettings().value(key).toString().toDouble(&ok);
    return ok && value >= kMinThresholdG && value <= kMaxThresholdG ? value : fallback;
}

QString existingFolder(const QString& key)
{
    const QString saved = QSettings().value(key).toString();
    return !saved.isEmpty() && QDir(saved).exists() ? saved : QString();
}

constexpr char kExportFolder[] = "export/folder";
constexpr char kListFiles[] = "playlist/files";
constexpr char kTileFile[] = "map/tileFile";
constexpr char kLibraryLocation[] = "library/location";
constexpr char kListOpen[] = "playlist/open";

// The saved folder while it exists, else the standard one, made when missing (a file dialog
// opened on a folder that does not exist shows the last folder any dialog showed: on a
// first run, the recordings), else home.
QString folderOr(const QString& key, QStandardPaths::StandardLocation fallback)
{
    const QString saved = existingFolder(key);
    if (!saved.isEmpty()) {
        return saved;
    }
    const QString standard = QStandardPaths::writableLocation(fallback);
    return !standard.isEmpty() && QDir().mkpath(standard) ? standard : QDir::homePath();
}

}  // namespace

namespace player_settings {

QString snapshotFolder()
{
    return folderOr(kSnapshotFolder, QStandardPaths::PicturesLocation);
}

void setSnapshotFolder(const QString& folder)
{
    QSettings().setValue(kSnapshotFolder, folder);
}

QString importFolder()
{
    return existingFolder(kImportFolder);
}

void setImportFolder(const QString& folder)
{
    QSettings().setValue(kImportFolder, folder);
}

int volumeLevel()
{
    return readInt(kVolume, 0, 10, -1);
}

void setVolumeLevel(int level)
{
    QSettings().setValue(kVolume, level);
}

SpeedUnit units()
{
    return QSettings().value(kUnits).toString() == kMph ? SpeedUnit::Mph : SpeedUnit::Kmh;
}

void setUnits(SpeedUnit unit)
{
    QSettings().setValue(kUnits, unit == SpeedUnit::Mph ? kMph : QStringLiteral("kmh"));
}

bool cycleMode()
{
    return readInt(kCycle, 0, 1, 1) == 1;
}

void setCycleMode(bool on)
{
    QSettings().setValue(kCycle, on ? 1 : 0);
}

bool chartSpeedView()
{
    return QSettings().value(kChartView).toString() == kSpeedView;
}

void setChartSpeedView(bool speedView)
{
    QSettings().setValue(kChartView, speedView ? kSpeedView : QStringLiteral("g"));
}

// Stored as numbers in the enumerations' order, which stays as it is.
ChannelLayout channelLayout()
{
    const ChannelLayout defaults;
    ChannelLayout layout;
    layout.arrangement = static_cast<ChannelArrangement>(
        readInt(kArrangement, 0, static_cast<int>(ChannelArrangement::MainOnly),
                static_cast<int>(defaults.arrangement)));
    layout.corner = static_cast<InsetCorner>(readInt(kInsetCorner, 0,
                                                     static_cast<int>(InsetCorner::BottomRight),
                                                     static_cast<int>(defaults.corner)));
    layout.insetPercent = readInt(kInsetSize, ChannelLayout::kMinInsetPercent,
                                  ChannelLayout::kMaxInsetPercent, defaults.insetPercent);
    layout.mirrorRear = readInt(kMirrorRear, 0, 1, defaults.mirrorRear ? 1 : 0) == 1;
    return layout;
}

void setChannelLayout(const ChannelLayout& layout)
{
    QSettings settings;
    settings.setValue(kArrangement, static_cast<int>(layout.arrangement));
    settings.setValue(kInsetCorner, static_cast<int>(layout.corner));
    settings.setValue(kInsetSize, layout.insetPercent);
    settings.setValue(kMirrorRear, layout.mirrorRear ? 1 : 0);
}

GEventThresholds eventThresholds()
{
    const GEventThresholds defaults;
    GEventThresholds thresholds;
    thresholds.longitudinalG = readThreshold(kLongitudinalG, defaults.longitudinalG);
    thresholds.lateralG = readThreshold(kLateralG, defaults.lateralG);
    thresholds.impactG = readThreshold(kImpactG, defaults.impactG);
    return thresholds;
}

void setEventThresholds(const GEventThresholds& thresholds)
{
    QSettings settings;
    settings.setValue(kLongitudinalG, QString::number(thresholds.longitudinalG));
    settings.setValue(kLateralG, QString::number(thresholds.lateralG));
    settings.setValue(kImpactG, QString::number(thresholds.impactG));
}

QString exportFolder()
{
    return folderOr(kExportFolder, QStandardPaths::DocumentsLocation);
}

void setExportFolder(const QString& folder)
{
    QSettings().setValue(kExportFolder, folder);
}

QString tileFile()
{
    return QSettings().value(kTileFile).toString();
}

void setTileFile(const QString& path)
{
    QSettings().setValue(kTileFile, path);
}

QString libraryLocation()
{
    return QSettings().value(kLibraryLocation).toString();
}

void setLibraryLocation(const QString& location)
{
    QSettings().setValue(kLibraryLocation, location);
}

// Stored as bytes, so that a name that is not UTF-8 comes back as it was.
PlayList playList()
{
    const QSettings settings;
    PlayList list;
    const QVariantList files = settings.value(kListFiles).toList();
    for (qsizetype i = 0; i < files.size() && i < kMaxSavedRecordings; ++i) {
        list.files.push_back(files[i].toByteArray().toStdString());
    }
    list.open = settings.value(kListOpen).toByteArray().toStdString();
    return list;
}

bool setPlayList(const PlayList& list)
{
    QVariantList files;
    files.reserve(static_cast<qsizetype>(list.files.size()));
    for (const std::string& file : list.files) {
        files.append(QByteArray::fromStdString(file));
    }
    QSettings settings;
    settings.setValue(kListFiles, files);
    settings.setValue(kListOpen, QByteArray::fromStdString(list.open));
    settings.sync();
    // A damaged file read as defaults is a format error, and is written over.
    return settings.status() != QSettings::AccessError;
}

}  // namespace player_settings
