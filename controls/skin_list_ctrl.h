#pragma once

#include "play_list.h"
#include "skin_palette.h"

#include <QColor>
#include <QPointer>
#include <QStandardItemModel>
#include <QTableView>

#include <utility>
#include <vector>

class CSkinHeaderCtrl;
class CSkinVerticleScrollbar;
class CSkinHorizontalScrollbar;

// The play list's view: rows on a light blue-grey ground, the selected row in light text on
// a slate bar whether or not the list has the focus, a bitmap header, and two bitmap scroll
// bars beside and below it (siblings in the parent) in place of its own.
class CSkinListCtrl : public QTableView, public IPlayListView {
public:
    explicit CSkinListCtrl(QWidget* parent = nullptr);
    ~CSkinListCtrl() override;

    // Hides the list's own scroll bars and puts the companion bars beside it; needs a parent.
    void AttachScrollBars();
    void PlaceScrollBars();

    // Adds a column with its title, the alignment of its cells and its width in pixels.
    void InsertColumn(int column, const QString& heading, Qt::Alignment format, int width);
    void SetBkColor(const QColor& colour);
    // The selected row, -1 when none.
    int GetSelectedRow() const;
    void SelectRow(int row);

    // Rows that start a group (a trip): a rule in the selection's slate above the row and a
    // tip on its cells. Every other row loses both.
    void SetGroupStarts(const std::vector<std::pair<int, QString>>& starts);
    bool IsGroupStart(int row) const;

    CSkinHeaderCtrl* Header() const { return header; }
    CSkinVerticleScrollbar* VerticalBar() const { return verticalBar; }
    CSkinHorizontalScrollbar* HorizontalBar() const { return horizontalBar; }
    QColor SelectedTextColour() const { return selectedTextColour; }
    QColor SelectedBackColour() const { return selectedBackColour; }


    // IPlayListView
    int GetRowCount() const override;
    void AppendRow(const std::string& number, const std::string& name,
                   const std::string& time) override;
    void SetCellText(int row, int column, const std::string& text) override;
    void DeleteRow(int row) override;
    void DeleteAllRows() override;

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
    QStandardItem* MakeCell(int column, const std::string& text) const;

    CSkinHeaderCtrl* header;
    QColor selectedTextColour = palette::kListSelectedText;
    QColor selectedBackColour = palette::kListSelectedBack;
    QPointer<CSkinVerticleScrollbar> verticalBar;
    QPointer<CSkinHorizontalScrollbar> horizontalBar;
    QStandardItemModel rows;
    std::vector<Qt::Alignment> columnFormats;
};
