#pragma once

#include <Qt>

class QAbstractItemView;

// What the skinned scroll bars need of the list they drive; a null list scrolls nothing.
// Vertical units are rows, horizontal units pixels, as in a report-style list.

enum class ScrollCode { LineUp, LineDown, PageUp, PageDown };  // also left / right

int scrollPos(const QAbstractItemView* list, Qt::Orientation orientation);
// The largest position at which a full page is shown; 0 when everything fits.
int scrollLimit(const QAbstractItemView* list, Qt::Orientation orientation);
// Scrolls by a line or a page at once (handled before the call returns).
void sendScroll(QAbstractItemView* list, Qt::Orientation orientation, ScrollCode code);
// Scrolls by pixels; vertically in whole rows of firstRowHeight pixels.
void scrollList(QAbstractItemView* list, int dx, int dy);
// Height of the first row's rectangle, 0 without rows.
int firstRowHeight(const QAbstractItemView* list);
