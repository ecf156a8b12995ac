#pragma once

#include <QDialog>

#include <optional>

#include "app/player_services.h"

class QCheckBox;
class QLineEdit;

// Asks where a clip goes (a folder, typed or browsed for) and whether the telemetry is
// drawn into its picture.
class ClipTargetDialog : public QDialog
{
public:
    ClipTargetDialog(QWidget* owner, const QString& start);
    ClipTarget target() const;

private:
    void browse();

    QLineEdit* m_folder = nullptr;
    QCheckBox* m_overlay = nullptr;
};

// The dialog, run modally; nothing when cancelled or no folder is given.
std::optional<ClipTarget> chooseClipTarget(QWidget* owner, const QString& start);
