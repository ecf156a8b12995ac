#include "list_scroll.h"

#include <QAbstractItemView>
#include <QScrollBar>

namespace {

QScrollBar* scrollBarOf(const QAbstractItemView* list, Qt::Orientation orientation)
{
    if (!list)
        return nullptr;
    return orientation == Qt::Vertical ? list->verticalScrollBar() : list->horizontalScrollBar();
}

QAbstractSlider::SliderAction actionFor(ScrollCode code)
{
    switch (code) {
    case ScrollCode::LineUp: return QAbstractSlider::SliderSingleStepSub;
    case ScrollCode::LineDown: return QAbstractSlider::SliderSingleStepAdd;
    case ScrollCode::PageUp: return QAbstractSlider::SliderPageStepSub;
    case ScrollCode::PageDown: return QAbstractSlider::SliderPageStepAdd;
    }
    return QAbstractSlider::SliderNoAction;
}

}  // namespace

int scrollPos(const QAbstractItemView* list, Qt::Orientation orientation)
{
    const QScrollBar* bar = scrollBarOf(list, orientation);
    return bar ? bar->value() - bar->minimum() : 0;
}

int scrollLimit(const QAbstractItemView* list, Qt::Orientation orientation)
{
    const QScrollBar* bar = scrollBarOf(list, orientation);
    return bar ? bar->maximum() - bar->minimum() : 0;
}

void sendScroll(QAbstractItemView* list, Qt::Orientation orientation, ScrollCode code)
{
    if (QScrollBar* bar = scrollBarOf(list, orientation))
        bar->triggerAction(actionFor(code));
}

void scrollList(QAbstractItemView* list, int dx, int dy)
{
    if (!list)
        return;
    if (dx != 0) {
        QScrollBar* bar = list->horizontalScrollBar();
        bar->setValue(bar->value() + dx);
    }
    if (dy == 0)
        return;
    QScrollBar* bar = list->verticalScrollBar();
    if (list->verticalScrollMode() == QAbstractItemView::ScrollPerPixel) {
        bar->setValue(bar->value() + dy);
        return;
    }
    const int rowHeight = firstRowHeight(list);
    if (rowHeight > 0)
        bar->setValue(bar->value() + dy / rowHeight);
}

int firstRowHeight(const QAbstractItemView* list)
{
    const QAbstractItemModel* model = list ? list->model() : nullptr;
    if (!model || model->rowCount(list->rootIndex()) == 0)
        return 0;
    return list->visualRect(model->index(0, 0, list->rootIndex())).height();
}
