#pragma once

#include "skin_palette.h"

#include <QColor>
#include <QPointer>
#include <QTableView>

#include <vector>

class CSkinHeaderCtrl;
class CSkinVerticleScrollbar;
class CSkinHorizontalScrollbar;

// The play list's view of any table model: rows on a light blue-grey ground, the selected
// row in light text on a slate bar whether or not the list has the focus, a bitmap header,
// and two bitmap scroll bars beside and below it (siblings in the parent) in place of its
// own. Titles, texts, alignment and tips come from the model; a row whose group-start role
// is true starts a group (a rule in the selection's slate above it).
class CSkinListCtrl : public QTableView {
public:
    explicit CSkinListCtrl(QWidget* parent = nullptr);
    ~CSkinListCtrl() override;

    // Hides the list's own scroll bars and puts the companion bars beside it; needs a parent.
    void AttachScrollBars();
    void PlaceScrollBars();

    void setModel(QAbstractItemModel* model) override;
    // The widths of the model's columns in pixels, kept whatever the model does.
    void setColumnWidths(std::vector<int> widths);
    // The model's role that marks a group's first row (a bool).
    void setGroupStartRole(int role);
    void SetBkColor(const QColor& colour);
    // The selected row, -1 when none.
    int GetSelectedRow() const;
    void SelectRow(int row);

    bool IsGroupStart(int row) const;

    CSkinHeaderCtrl* Header() const { return header; }
    CSkinVerticleScrollbar* VerticalBar() const { return verticalBar; }
    CSkinHorizontalScrollbar* HorizontalBar() const { return horizontalBar; }
    QColor SelectedTextColour() const { return selectedTextColour; }
    QColor SelectedBackColour() const { return selectedBackColour; }

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
    void SyncBars();
    void FitRowHeight();
    void applyColumnWidths();

    CSkinHeaderCtrl* header;
    QColor selectedTextColour = palette::kListSelectedText;
    QColor selectedBackColour = palette::kListSelectedBack;
    QPointer<CSkinVerticleScrollbar> verticalBar;
    QPointer<CSkinHorizontalScrollbar> horizontalBar;
    std::vector<int> m_columnWidths;
    int m_groupStartRole = kDefaultGroupStartRole;
    QMetaObject::Connection m_widthsOnReset;
    QMetaObject::Connection m_widthsOnNewColumns;
};
