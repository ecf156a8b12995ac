#pragma once

#include "skin_palette.h"

#include <QColor>
#include <QPointer>
#include <QTableView>

#include <vector>

class SkinHeaderView;
class VerticalScrollBar;
class HorizontalScrollBar;

// The play list's view of any table model: rows on a light blue-grey ground, the selected
// row in light text on a slate bar whether or not the list has the focus, a bitmap header,
// and two bitmap scroll bars beside and below it (siblings in the parent) in place of its
// own. Titles, texts, alignment and tips come from the model (a text too long for its
// column is shortened in the middle, so its end shows); a row whose group-start role
// is true starts a group (a rule in the selection's slate above it).
class PlaylistView : public QTableView
{
public:
    explicit PlaylistView(QWidget* parent = nullptr);
    ~PlaylistView() override;

    // Hides the list's own scroll bars and puts the companion bars beside it; needs a parent.
    void attachScrollBars();
    void placeScrollBars();

    void setModel(QAbstractItemModel* model) override;
    // The widths of the model's columns in pixels, kept whatever the model does.
    void setColumnWidths(std::vector<int> widths);
    // The model's role that marks a group's first row (a bool).
    void setGroupStartRole(int role);
    void setGroundColour(const QColor& colour);
    // The selected row, -1 when none.
    int selectedRow() const;
    void selectExistingRow(int row);

    bool isGroupStart(int row) const;

    SkinHeaderView* header() const { return m_header; }
    VerticalScrollBar* verticalBar() const { return m_verticalBar; }
    HorizontalScrollBar* horizontalBar() const { return m_horizontalBar; }
    QColor selectedTextColour() const { return m_selectedTextColour; }
    QColor selectedBackColour() const { return m_selectedBackColour; }

    static constexpr int kDefaultGroupStartRole = Qt::UserRole + 1;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void syncBars();
    void fitRowHeight();
    void applyColumnWidths();

    SkinHeaderView* m_header;
    QColor m_selectedTextColour = palette::kListSelectedText;
    QColor m_selectedBackColour = palette::kListSelectedBack;
    QPointer<VerticalScrollBar> m_verticalBar;
    QPointer<HorizontalScrollBar> m_horizontalBar;
    std::vector<int> m_columnWidths;
    int m_groupStartRole = kDefaultGroupStartRole;
    QMetaObject::Connection m_widthsOnReset;
    QMetaObject::Connection m_widthsOnNewColumns;
};
