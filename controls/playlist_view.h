#pragma once

#include "skin/skin_palette.h"

#include <QColor>
#include <QTableView>

#include <vector>

class SkinHeaderView;
class SkinScrollBar;

// The play list's view of any table model: rows on a light blue-grey ground, the selected
// row in light text on a slate bar whether or not the list has the focus, a bitmap header,
// and bitmap scroll bars at its right and bottom edges, shown whether or not there is
// anything to scroll. Titles, texts, alignment and tips come from the model (a text too long for
// its column is shortened in the middle, so its end shows); a row whose group-start role is true
// starts a group (a rule in the selection's slate above it).
class PlaylistView : public QTableView
{
public:
    explicit PlaylistView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    // The widths of the model's columns in pixels, kept whatever the model does.
    void setColumnWidths(std::vector<int> widths);
    // The model's role that marks a group's first row (a bool).
    void setGroupStartRole(int role);
    // Shows only the rows whose role (a bool) is true, as the model changes too; 0 shows all.
    // Rows keep their model numbers: hidden ones are only not shown.
    void setFilterRole(int role);
    int filterRole() const { return m_filterRole; }
    void setGroundColour(const QColor& colour);
    // The selected row, -1 when none.
    int selectedRow() const;
    void selectExistingRow(int row);

    bool isGroupStart(int row) const;

    SkinHeaderView* header() const { return m_header; }
    SkinScrollBar* verticalBar() const;
    SkinScrollBar* horizontalBar() const;
    QColor selectedTextColour() const { return m_selectedTextColour; }
    QColor selectedBackColour() const { return m_selectedBackColour; }

    static constexpr int kDefaultGroupStartRole = Qt::UserRole + 1;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fitRowHeight();
    void applyColumnWidths();
    void applyFilter();

    SkinHeaderView* m_header;
    QColor m_selectedTextColour = palette::kListSelectedText;
    QColor m_selectedBackColour = palette::kListSelectedBack;
    QColor m_groundColour = palette::kListGround;
    std::vector<int> m_columnWidths;
    int m_groupStartRole = kDefaultGroupStartRole;
    int m_filterRole = 0;
    std::vector<QMetaObject::Connection> m_filterOnChanges;
    QMetaObject::Connection m_widthsOnReset;
    QMetaObject::Connection m_widthsOnNewColumns;
};
