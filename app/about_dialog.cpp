#include "app/about_dialog.h"

#include "res/resources.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

QString AboutDialog::keyboardHelp()
{
    return QStringLiteral(
        "<table>"
        "<tr><td>Space</td><td>Play or pause</td></tr>"
        "<tr><td>Left / Right</td><td>Back or forward 5 s</td></tr>"
        "<tr><td>Shift+Left / Shift+Right</td><td>Back or forward 30 s</td></tr>"
        "<tr><td>Page Up / Page Down</td><td>Previous or next recording</td></tr>"
        "<tr><td>Enter</td><td>Play the selected recording</td></tr>"
        "<tr><td>Delete</td><td>Delete the selected recording (asks first)</td></tr>"
        "<tr><td>Ctrl+S</td><td>Save a snapshot</td></tr>"
        "<tr><td>I / O</td><td>Mark where a clip begins or ends</td></tr>"
        "<tr><td>F</td><td>Full screen on or off</td></tr>"
        "<tr><td>Escape</td><td>Leave full screen (nothing more)</td></tr>"
        "<tr><td>V</td><td>Next arrangement of the channels</td></tr>"
        "<tr><td>X</td><td>Swap the channels</td></tr>"
        "<tr><td>L</td><td>The library: every recording imported</td></tr>"
        "<tr><td>Ctrl+Q</td><td>Close the player</td></tr>"
        "</table>");
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Player"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(skinResourcePath(QStringLiteral("icon.png"))).pixmap(32, 32));
    auto* text = new QLabel(QStringLiteral("Player Version 1.0"), this);
    auto* keys = new QLabel(keyboardHelp(), this);
    keys->setObjectName(QStringLiteral("keys"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addWidget(keys);
    column->addWidget(buttons);
}
