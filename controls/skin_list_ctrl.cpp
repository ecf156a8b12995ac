#include "skin_list_ctrl.h"

#include "skin_header_ctrl.h"
#include "skin_geometry.h"
#include "skin_horizontal_scrollbar.h"
#include "skin_palette.h"
#include "skin_verticle_scrollbar.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

constexpr int kRowPadding = 2;

// Paints the selected row in the list's colours instead of the style's highlight: the
// selected state is cleared for the item's paint only, so the selection stays as it was.
class SkinItemDelegate : public QStyledItemDelegate {
public:
    SkinItemDelegate(QColor text, QColor back, QObject* parent)
        : QStyledItemDelegate(parent), selectedText(text), selectedBack(back)
    {
    }

    void setGroupStartRole(int role) { groupStartRole = role; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem item(option);
        const bool wasSelected = item.state & QStyle::State_Selected;
        if (wasSelected) {
            item.state &= ~QStyle::State_Selected;
            item.palette.setColor(QPalette::Text, selectedText);
        }
        // The text background; the delegate's own takes it from the model's data only.
        painter->fillRect(item.rect, wasSelected ? selectedBack : palette::kListGround);
        QStyledItemDelegate::paint(painter, item, index);
        if (index.data(groupStartRole).toBool())
            painter->fillRect(item.rect.left(), item.rect.top(), item.rect.width(), 2, selectedBack);
    }

private:
    QColor selectedText;
    QColor selectedBack;
    int groupStartRole = CSkinListCtrl::kDefaultGroupStartRole;
};

}  // namespace

CSkinListCtrl::CSkinListCtrl(QWidget* parent)
    : QTableView(parent), header(new CSkinHeaderCtrl(this))
{
    setHorizontalHeader(header);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    verticalHeader()->hide();
    setItemDelegate(new SkinItemDelegate(selectedTextColour, selectedBackColour, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setFrameShape(QFrame::NoFrame);
    SetBkColor(palette::kListGround);
    FitRowHeight();
    // Whatever scrolls the list, the companion bars follow.
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, &CSkinListCtrl::SyncBars);
        connect(bar, &QScrollBar::rangeChanged, this, &CSkinListCtrl::SyncBars);
    }
}

CSkinListCtrl::~CSkinListCtrl()
{
    delete verticalBar.data();
    delete horizontalBar.data();
}

void CSkinListCtrl::AttachScrollBars()
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QWidget* owner = parentWidget();
    if (!owner)
        return;
    if (!verticalBar) {
        verticalBar = new CSkinVerticleScrollbar(owner);
        verticalBar->SetList(this);
        verticalBar->show();
    }
    if (!horizontalBar) {
        horizontalBar = new CSkinHorizontalScrollbar(owner);
        horizontalBar->SetList(this);
        horizontalBar->show();
    }
    PlaceScrollBars();
}

void CSkinListCtrl::PlaceScrollBars()
{
    if (!verticalBar || !horizontalBar)
        return;
    verticalBar->setGeometry(skin::verticalScrollBar(geometry()));
    horizontalBar->setGeometry(skin::horizontalScrollBar(geometry()));
    horizontalBar->SyncThumb();
    verticalBar->SyncThumb();
}

void CSkinListCtrl::SyncBars()
{
    if (verticalBar)
        verticalBar->SyncThumb();
    if (horizontalBar)
        horizontalBar->SyncThumb();
}

void CSkinListCtrl::setModel(QAbstractItemModel* newModel)
{
    disconnect(m_widthsOnReset);
    disconnect(m_widthsOnNewColumns);
    QTableView::setModel(newModel);
    if (newModel) {
        // A reset rebuilds the header's sections at their default size.
        m_widthsOnReset = connect(newModel, &QAbstractItemModel::modelReset, this, &CSkinListCtrl::applyColumnWidths);
        m_widthsOnNewColumns =
            connect(newModel, &QAbstractItemModel::columnsInserted, this, &CSkinListCtrl::applyColumnWidths);
    }
    applyColumnWidths();
}

void CSkinListCtrl::setColumnWidths(std::vector<int> widths)
{
    m_columnWidths = std::move(widths);
    applyColumnWidths();
}

void CSkinListCtrl::applyColumnWidths()
{
    for (size_t column = 0; column < m_columnWidths.size(); ++column)
        setColumnWidth(static_cast<int>(column), m_columnWidths[column]);
}

void CSkinListCtrl::setGroupStartRole(int role)
{
    m_groupStartRole = role;
    if (auto* delegate = dynamic_cast<SkinItemDelegate*>(itemDelegate()))
        delegate->setGroupStartRole(role);
    viewport()->update();
}

void CSkinListCtrl::SetBkColor(const QColor& colour)
{
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, colour);
    viewport()->setPalette(palette);
}

int CSkinListCtrl::GetSelectedRow() const
{
    if (!selectionModel())
        return -1;
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void CSkinListCtrl::SelectRow(int row)
{
    if (model() && row >= 0 && row < model()->rowCount(rootIndex()))
        selectRow(row);
}

bool CSkinListCtrl::IsGroupStart(int row) const
{
    return model() && model()->index(row, 0, rootIndex()).data(m_groupStartRole).toBool();
}

void CSkinListCtrl::FitRowHeight()
{
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowPadding);
}

void CSkinListCtrl::paintEvent(QPaintEvent* event)
{
    {
        QPainter ground(viewport());
        ground.fillRect(event->rect(), palette::kListGround);
    }
    SyncBars();
    QTableView::paintEvent(event);
}

void CSkinListCtrl::wheelEvent(QWheelEvent* event)
{
    SyncBars();
    QTableView::wheelEvent(event);
}

void CSkinListCtrl::keyPressEvent(QKeyEvent* event)
{
    SyncBars();
    // Home and End go to the first and last row, as in a list rather than a table.
    const bool rowJump = (event->key() == Qt::Key_Home || event->key() == Qt::Key_End) &&
                         event->modifiers() == Qt::NoModifier;
    if (!rowJump) {
        QTableView::keyPressEvent(event);
        return;
    }
    QKeyEvent jump(event->type(), event->key(), Qt::ControlModifier, event->text(),
                   event->isAutoRepeat(), event->count());
    QTableView::keyPressEvent(&jump);
    event->setAccepted(jump.isAccepted());
}

void CSkinListCtrl::keyReleaseEvent(QKeyEvent* event)
{
    SyncBars();
    QTableView::keyReleaseEvent(event);
}

void CSkinListCtrl::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    PlaceScrollBars();
}

void CSkinListCtrl::moveEvent(QMoveEvent* event)
{
    QTableView::moveEvent(event);
    PlaceScrollBars();
}

void CSkinListCtrl::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitRowHeight();
}
