#pragma once

#include "skin_header_ctrl.h"
#include "skin_horizontal_scrollbar.h"
#include "skin_list_ctrl.h"
#include "skin_verticle_scrollbar.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QStandardItemModel>
#include <QTest>


// Distinct colours for the pieces of the bars and the header.
const QColor kBarCap(1, 1, 101);
const QColor kBarArrow(2, 2, 102);
const QColor kBarChannel(3, 3, 103);
const QColor kBarThumb(250, 250, 4);

// A row of the three columns as the player's list shows them.
inline QList<QStandardItem*> ListRow(const QString& number, const QString& name, const QString& time)
{
    QList<QStandardItem*> cells{new QStandardItem(number), new QStandardItem(name), new QStandardItem(time)};
    cells[0]->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    cells[1]->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    cells[2]->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return cells;
}

// The three titled columns the player's list has, with `rowCount` rows.
inline void FillListModel(QStandardItemModel& model, int rowCount)
{
    model.setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("Files"), QStringLiteral("Time")});
    for (int i = 0; i < rowCount; ++i)
        model.appendRow(ListRow(QString::number(i + 1), QStringLiteral("FILE%1.MOV").arg(i),
                                QStringLiteral("12:00:00 01-02-2020")));
}

// A play list as the player window sets it up: 200 x 300 at (10, 10) of its window, the three
// columns, the companion bars, and `rows` rows.
class ListFixture : public testing::Test {
protected:
    void Build(int rowCount)
    {
        window.resize(400, 400);
        list = new CSkinListCtrl(&window);
        list->setGeometry(10, 10, 200, 300);
        list->AttachScrollBars();
        FillListModel(rows, rowCount);
        list->setModel(&rows);
        list->setColumnWidths({32, 140, 130});
        vbar = list->VerticalBar();
        hbar = list->HorizontalBar();
        ASSERT_NE(vbar, nullptr);
        ASSERT_NE(hbar, nullptr);
        vbar->SetImages({SolidImage(12, 11, kBarCap), SolidImage(12, 26, kBarArrow),
                         SolidImage(12, 1, kBarChannel), SolidImage(12, 26, kBarArrow),
                         SolidImage(11, 11, kBarCap), SolidImage(12, 26, kBarThumb)});
        hbar->SetImages({SolidImage(26, 12, kBarArrow), SolidImage(26, 12, kBarArrow),
                         SolidImage(1, 12, kBarChannel), SolidImage(26, 12, kBarThumb)});
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    int VPos() const { return list->verticalScrollBar()->value(); }
    int VLimit() const { return list->verticalScrollBar()->maximum(); }
    int HPos() const { return list->horizontalScrollBar()->value(); }
    int HLimit() const { return list->horizontalScrollBar()->maximum(); }

    QStandardItemModel rows;  // outlives the list, a child of the window
    QWidget window;
    CSkinListCtrl* list = nullptr;
    CSkinVerticleScrollbar* vbar = nullptr;
    CSkinHorizontalScrollbar* hbar = nullptr;
};
