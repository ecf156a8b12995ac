#pragma once

class QWidget;

// A window of the player's own (a dialog, the library) placed where it hides none of the
// player: right of it where the screen has room, else left of it, at the player's top;
// narrowed to fit there when it can be.
void placeBeside(QWidget* dialog, const QWidget* window);
