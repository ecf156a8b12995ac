#include "app/player_services.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>

#include "app/clip_target_dialog.h"
#include "app/library_location_dialog.h"
#include "app/volume_watcher.h"

PlayerServices PlayerServices::desktop()
{
    PlayerServices services;
    services.chooseFolder = [](QWidget* owner, const QString& start) {
        return QFileDialog::getExistingDirectory(owner, QStringLiteral("Select directory"), start);
    };
    services.chooseSnapshotFile = [](QWidget* owner, const QString& suggestion) {
        QFileDialog dialog(owner, QStringLiteral("Set file name..."), suggestion,
                           QStringLiteral("Photo File(*.jpg)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("jpg"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().front()
                   : QString();
    };
    services.chooseExportFile = [](QWidget* owner, const QString& suggestion) {
        QString filter = QStringLiteral("GPX track (*.gpx)");
        return QFileDialog::getSaveFileName(owner, QStringLiteral("Export track"), suggestion,
                                            QStringLiteral("GPX track (*.gpx);;CSV table (*.csv)"),
                                            &filter);
    };
    services.chooseClipTarget = ::chooseClipTarget;
    services.chooseTileFile = [](QWidget* owner, const QString& start) {
        return QFileDialog::getOpenFileName(owner, QStringLiteral("Map tiles from a file"), start,
                                            QStringLiteral("Map tiles (*.mbtiles);;All files (*)"));
    };
    services.chooseLibraryLocation = ::chooseLibraryLocation;
    services.confirm = [](QWidget* owner, const QString& question) {
        return QMessageBox::question(owner, QStringLiteral("Player"), question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    services.choosePrinter = [](QWidget* owner, QPrinter& printer) {
        QPrintDialog dialog(&printer, owner);
        dialog.setWindowTitle(QStringLiteral("Print the incident report"));
        return dialog.exec() == QDialog::Accepted;
    };
    services.createMap = createMapView;
    services.volumes = std::make_shared<MountedVolumes>();
    services.watchVolumes = [] { return std::make_unique<VolumeWatcher>(); };
    services.identifyVolume = volumeOf;
    return services;
}
