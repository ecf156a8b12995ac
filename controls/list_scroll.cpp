#include "list_scroll.h"

#include <QAbstractItemView>
#include <QScrollBar>

namespace {

QScrollBar* Bar(const QAbstractItemView* list, Qt::Orientation orientation)
{
    if (!list)
        return nullptr;
    return orientation == Qt::Vertical ? list->verticalScrollBar() : list->horizontalScrollBar();
}

QAbstractSlider::SliderAction ActionFor(ScrollCode code)
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

int ScrollPos(const QAbstractItemView* list, Qt::Orientation orientation)
{
    const QScrollBar* bar = Bar(list, orientation);
    return bar ? bar->value() - bar->minimum() : 0;
}

int ScrollLimit(const QAbstractItemView* list, Qt::Orientation orientation)
{
    const QScrollBar* bar = Bar(list, orientation);
    return bar ? bar->maximum() - bar->minimum() : 0;
}

void SendScroll(QAbstractItemView* list, Qt::Orientation orientation, ScrollCode code)
{
    if (QScrollBar* bar = Bar(list, orientation))
        bar->triggerAction(ActionFor(code));
}

void ScrollList(QAbstractItemView* list, int dx, int dy)
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
    const int rowHeight = FirstRowHeight(list);
    if (rowHeight > 0)
        bar->setValue(bar->value() + dy / rowHeight);
}

int FirstRowHeight(const QAbstractItemView* list)
{
    const QAbstractItemModel* model = list ? list->model() : nullptr;
    if (!model || model->rowCount(list->rootIndex()) == 0)
        return 0;
    return list->visualRect(model->index(0, 0, list->rootIndex())).height();
}
