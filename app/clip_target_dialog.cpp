#include "app/clip_target_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ClipTargetDialog::ClipTargetDialog(QWidget* owner, const QString& start) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Export clip"));
    m_folder = new QLineEdit(start, this);
    m_folder->setMinimumWidth(360);
    auto* browseButton = new QPushButton(QStringLiteral("Browse..."), this);
    connect(browseButton, &QPushButton::clicked, this, &ClipTargetDialog::browse);
    m_overlay = new QCheckBox(QStringLiteral("With overlay: time, speed, position, heading and "
                                             "G drawn into the picture (re-encoded)"),
                              this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Export"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_folder, &QLineEdit::textChanged, this, [this, buttons](const QString& text) {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!text.trimmed().isEmpty());
    });

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder);
    folderRow->addWidget(browseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Folder of the clip (a clip per channel, each "
                                                "with its track as GPX and CSV):"),
                                 this));
    layout->addLayout(folderRow);
    layout->addWidget(m_overlay);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!start.trimmed().isEmpty());
}

ClipTarget ClipTargetDialog::target() const
{
    return {m_folder->text().trimmed(), m_overlay->isChecked()};
}

void ClipTargetDialog::browse()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Folder of the clip"), m_folder->text());
    if (!folder.isEmpty()) {
        m_folder->setText(folder);
    }
}

std::optional<ClipTarget> chooseClipTarget(QWidget* owner, const QString& start)
{
    ClipTargetDialog dialog(owner, start);
    if (dialog.exec() != QDialog::Accepted || dialog.target().folder.isEmpty()) {
        return std::nullopt;
    }
    return dialog.target();
}
