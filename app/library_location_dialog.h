#pragma once

#include <QString>

class QWidget;

// Asks where the library lives: a database file (chosen or typed) or a server's
// postgresql:// URL. Empty when cancelled.
QString chooseLibraryLocation(QWidget* owner, const QString& current);
