#pragma once

#include <QDialog>

// The about box: icon, "Player Version 1.0", the keyboard
// shortcuts and OK.
class AboutDialog : public QDialog
{
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    static QString keyboardHelp();
};
