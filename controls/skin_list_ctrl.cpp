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
constexpr int kGroupStartRole = Qt::UserRole + 1;

// Paints the selected row in the list's colours instead of the style's highlight: the
// selected state is cleared for the item's paint only, so the selection stays as it was.
class SkinItemDelegate : public QStyledItemDelegate {
public:
    SkinItemDelegate(QColor text, QColor back, QObject* parent)
        : QStyledItemDelegate(parent), selectedText(text), selectedBack(back)
    {
    }

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
        if (index.data(kGroupStartRole).toBool())
            painter->fillRect(item.rect.left(), item.rect.top(), item.rect.width(), 2, selectedBack);
    }

private:
    QColor selectedText;
    QColor selectedBack;
};

}  // namespace

CSkinListCtrl::CSkinListCtrl(QWidget* parent)
    : QTableView(parent), header(new CSkinHeaderCtrl(this))
{
    setHorizontalHeader(header);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    verticalHeader()->hide();
    setModel(&rows);
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

void CSkinListCtrl::InsertColumn(int column, const QString& heading, Qt::Alignment format,
                                 int width)
{
    column = std::clamp(column, 0, rows.columnCount());
    rows.insertColumns(column, 1);
    rows.setHeaderData(column, Qt::Horizontal, heading);
    columnFormats.insert(columnFormats.begin() + std::min<size_t>(column, columnFormats.size()),
                         format);
    setColumnWidth(column, width);
}

void CSkinListCtrl::SetBkColor(const QColor& colour)
{
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, colour);
    viewport()->setPalette(palette);
}

int CSkinListCtrl::GetSelectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void CSkinListCtrl::SelectRow(int row)
{
    if (row >= 0 && row < rows.rowCount())
        selectRow(row);
}

QStandardItem* CSkinListCtrl::MakeCell(int column, const std::string& text) const
{
    auto* cell = new QStandardItem(QString::fromStdString(text));
    const Qt::Alignment format =
        column < static_cast<int>(columnFormats.size()) ? columnFormats[column] : Qt::AlignLeft;
    cell->setTextAlignment(format | Qt::AlignVCenter);
    return cell;
}

int CSkinListCtrl::GetRowCount() const
{
    return rows.rowCount();
}

void CSkinListCtrl::AppendRow(const std::string& number, const std::string& name,
                              const std::string& time)
{
    rows.appendRow({MakeCell(0, number), MakeCell(1, name), MakeCell(2, time)});
}

void CSkinListCtrl::SetCellText(int row, int column, const std::string& text)
{
    if (row < 0 || row >= rows.rowCount() || column < 0 || column >= rows.columnCount())
        return;
    QStandardItem* cell = MakeCell(column, text);
    // A new text keeps the row's group mark.
    if (const QStandardItem* old = rows.item(row, column)) {
        cell->setData(old->data(kGroupStartRole), kGroupStartRole);
        cell->setToolTip(old->toolTip());
    }
    rows.setItem(row, column, cell);
}

void CSkinListCtrl::SetGroupStarts(const std::vector<std::pair<int, QString>>& starts)
{
    for (int row = 0; row < rows.rowCount(); ++row) {
        for (int column = 0; column < rows.columnCount(); ++column) {
            if (QStandardItem* cell = rows.item(row, column)) {
                cell->setData(false, kGroupStartRole);
                cell->setToolTip({});
            }
        }
    }
    for (const auto& [row, tip] : starts) {
        for (int column = 0; row >= 0 && row < rows.rowCount() && column < rows.columnCount(); ++column) {
            if (QStandardItem* cell = rows.item(row, column)) {
                cell->setData(true, kGroupStartRole);
                cell->setToolTip(tip);
            }
        }
    }
}

bool CSkinListCtrl::IsGroupStart(int row) const
{
    const QStandardItem* cell = rows.item(row, 0);
    return cell && cell->data(kGroupStartRole).toBool();
}

void CSkinListCtrl::DeleteRow(int row)
{
    if (row >= 0 && row < rows.rowCount())
        rows.removeRow(row);
}

void CSkinListCtrl::DeleteAllRows()
{
    rows.removeRows(0, rows.rowCount());
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
