#include "controls/playlist_view.h"

#include "controls/skin_header_view.h"
#include "controls/skin_scroll_bar.h"
#include "skin/skin_palette.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kRowPadding = 2;

// Paints the selected row in the list's colours instead of the style's highlight: the
// selected state is cleared for the item's paint only, so the selection stays as it was.
class SkinItemDelegate : public QStyledItemDelegate
{
public:
    SkinItemDelegate(QColor text, QColor back, QObject* parent)
        : QStyledItemDelegate(parent), selectedText(text), selectedBack(back)
    {}

    void setGroupStartRole(int role) { groupStartRole = role; }
    void setGround(QColor colour) { ground = colour; }

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
        painter->fillRect(item.rect, wasSelected ? selectedBack : ground);
        QStyledItemDelegate::paint(painter, item, index);
        if (index.data(groupStartRole).toBool()) {
            painter->fillRect(item.rect.left(), item.rect.top(), item.rect.width(), 2,
                              selectedBack);
        }
    }

private:
    QColor selectedText;
    QColor selectedBack;
    QColor ground = palette::kListGround;
    int groupStartRole = PlaylistView::kDefaultGroupStartRole;
};

}  // namespace

PlaylistView::PlaylistView(QWidget* parent) : QTableView(parent), m_header(new SkinHeaderView(this))
{
    setHorizontalHeader(m_header);
    m_header->setHighlightSections(false);
    m_header->setStretchLastSection(false);
    verticalHeader()->hide();
    setItemDelegate(new SkinItemDelegate(m_selectedTextColour, m_selectedBackColour, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    // The end of a camera's name (its channel letter, its extension) says most.
    setTextElideMode(Qt::ElideMiddle);
    setFrameShape(QFrame::NoFrame);
    setGroundColour(palette::kListGround);
    fitRowHeight();
    auto* vertical = new SkinScrollBar(Qt::Vertical);
    auto* horizontal = new SkinScrollBar(Qt::Horizontal);
    setVerticalScrollBar(vertical);
    setHorizontalScrollBar(horizontal);
    // Shown when there is nothing to scroll too, as the skin draws them.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setCornerWidget(new ScrollBarCorner(vertical, horizontal));
}

void PlaylistView::setModel(QAbstractItemModel* newModel)
{
    disconnect(m_widthsOnReset);
    disconnect(m_widthsOnNewColumns);
    for (const QMetaObject::Connection& connection : m_filterOnChanges) {
        disconnect(connection);
    }
    m_filterOnChanges.clear();
    QTableView::setModel(newModel);
    if (newModel) {
        const auto refilter = [this] {
            if (m_filterRole != 0) {
                applyFilter();
            }
        };
        m_filterOnChanges = {
            connect(newModel, &QAbstractItemModel::rowsInserted, this, refilter),
            connect(newModel, &QAbstractItemModel::rowsRemoved, this, refilter),
            connect(newModel, &QAbstractItemModel::modelReset, this, refilter),
            connect(newModel, &QAbstractItemModel::layoutChanged, this, refilter),
            connect(newModel, &QAbstractItemModel::dataChanged, this, refilter),
        };
        // A reset rebuilds the header's sections at their default size.
        m_widthsOnReset = connect(newModel, &QAbstractItemModel::modelReset, this,
                                  &PlaylistView::applyColumnWidths);
        m_widthsOnNewColumns = connect(newModel, &QAbstractItemModel::columnsInserted, this,
                                       &PlaylistView::applyColumnWidths);
    }
    applyColumnWidths();
    applyFilter();
}

void PlaylistView::setColumnWidths(std::vector<int> widths)
{
    m_columnWidths = std::move(widths);
    applyColumnWidths();
}

void PlaylistView::applyColumnWidths()
{
    for (size_t column = 0; column < m_columnWidths.size(); ++column) {
        setColumnWidth(static_cast<int>(column), m_columnWidths[column]);
    }
}

void PlaylistView::setGroupStartRole(int role)
{
    m_groupStartRole = role;
    if (auto* delegate = dynamic_cast<SkinItemDelegate*>(itemDelegate())) {
        delegate->setGroupStartRole(role);
    }
    viewport()->update();
}

void PlaylistView::setFilterRole(int role)
{
    m_filterRole = role;
    applyFilter();
}

void PlaylistView::applyFilter()
{
    if (!model()) {
        return;
    }
    for (int row = 0, rows = model()->rowCount(rootIndex()); row < rows; ++row) {
        const bool shown =
            m_filterRole == 0 || model()->index(row, 0, rootIndex()).data(m_filterRole).toBool();
        if (isRowHidden(row) == shown) {
            setRowHidden(row, !shown);
        }
    }
}

void PlaylistView::setGroundColour(const QColor& colour)
{
    m_groundColour = colour;
    if (auto* delegate = dynamic_cast<SkinItemDelegate*>(itemDelegate())) {
        delegate->setGround(colour);
    }
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, colour);
    viewport()->setPalette(palette);
}

int PlaylistView::selectedRow() const
{
    if (!selectionModel()) {
        return -1;
    }
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void PlaylistView::selectExistingRow(int row)
{
    if (model() && row >= 0 && row < model()->rowCount(rootIndex())) {
        selectRow(row);
    }
}

bool PlaylistView::isGroupStart(int row) const
{
    return model() && model()->index(row, 0, rootIndex()).data(m_groupStartRole).toBool();
}

void PlaylistView::fitRowHeight()
{
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowPadding);
}

void PlaylistView::paintEvent(QPaintEvent* event)
{
    {
        QPainter ground(viewport());
        ground.fillRect(event->rect(), m_groundColour);
    }
    QTableView::paintEvent(event);
}

SkinScrollBar* PlaylistView::verticalBar() const
{
    return static_cast<SkinScrollBar*>(verticalScrollBar());
}

SkinScrollBar* PlaylistView::horizontalBar() const
{
    return static_cast<SkinScrollBar*>(horizontalScrollBar());
}

void PlaylistView::keyPressEvent(QKeyEvent* event)
{
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

void PlaylistView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fitRowHeight();
    }
}
