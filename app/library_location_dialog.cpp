#include "app/library_location_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QString chooseLibraryLocation(QWidget* owner, const QString& current)
{
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Library location"));
    auto* location = new QLineEdit(current, &dialog);
    location->setMinimumWidth(420);
    auto* browse = new QPushButton(QStringLiteral("File..."), &dialog);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, location] {
        const QString file =
            QFileDialog::getSaveFileName(&dialog, QStringLiteral("Library file"), location->text(),
                                         QStringLiteral("Library (*.sqlite);;All files (*)"),
                                         nullptr, QFileDialog::DontConfirmOverwrite);
        if (!file.isEmpty()) {
            location->setText(file);
        }
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(location);
    row->addWidget(browse);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("A library file (an existing one is opened, a new "
                                                "one made), or a server's URL: "
                                                "postgresql://user@host/database"),
                                 &dialog));
    layout->addLayout(row);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted ? location->text().trimmed() : QString();
}
