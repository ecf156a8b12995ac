#pragma once

#include <QDialog>

// The about box: icon, "Player Version 1.0", the keyboard
// shortcuts and OK.
class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static QString KeyboardHelp();
};
