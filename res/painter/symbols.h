#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// The pictograms on the buttons, designed on a 24 x 24 grid and scaled into a box.
enum class Symbol {
    Play,
    Pause,
    Stop,
    Prev,
    Next,
    CycleOn,
    CycleOff,
    Print,
    Capture,
    Import,
    Clear,
    Minus,
    Plus,
    Minimise,
    Close
};

// ink draws the pictogram; ground is the colour of the face it sits on, used for the
// holes and cut-outs (a lens, a paper sheet).
void drawSymbol(QPainter& p, Symbol symbol, const QRectF& box, const QColor& ink,
                const QColor& ground);
