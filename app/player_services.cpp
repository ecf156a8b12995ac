#include "player_services.h"

#include <QFileDialog>
#include <QMessageBox>

PlayerServices PlayerServices::Desktop()
{
    PlayerServices services;
    services.chooseFolder = [](QWidget* owner) {
        return QFileDialog::getExistingDirectory(owner, QStringLiteral("Select directory"));
    };
    services.chooseSnapshotFile = [](QWidget* owner, const QString& initialFolder) {
        QFileDialog dialog(owner, QStringLiteral("Set file name..."), initialFolder,
                           QStringLiteral("Photo File(*.jpg)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("jpg"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                        : QString();
    };
    services.showError = [](QWidget* owner, const QString& text) {
        QMessageBox::critical(owner, QString(), text, QMessageBox::Ok);
    };
    services.createMap = CreateMapDialog;
    services.volumes = std::make_shared<CMountedVolumes>();
    return services;
}
