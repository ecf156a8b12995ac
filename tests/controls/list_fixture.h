#pragma once

#include "controls/playlist_view.h"
#include "controls/skin_header_view.h"
#include "controls/skin_scroll_bar.h"
#include "tests/controls/test_images.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QStandardItemModel>
#include <QTest>

// Distinct colours for the pieces of the bars and the header.
const QColor kBarCap(1, 1, 101);
const QColor kBarArrow(2, 2, 102);
const QColor kBarChannel(3, 3, 103);
const QColor kBarThumb(250, 250, 4);
const QColor kBarArrowEnd(5, 5, 105);  // the horizontal bar's right arrow

// A row of the three columns as the player's list shows them.
inline QList<QStandardItem*> listRow(const QString& number, const QString& name,
                                     const QString& time)
{
    QList<QStandardItem*> cells{new QStandardItem(number), new QStandardItem(name),
                                new QStandardItem(time)};
    cells[0]->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    cells[1]->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    cells[2]->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return cells;
}

// The three titled columns the player's list has, with `rowCount` rows.
inline void fillListModel(QStandardItemModel& model, int rowCount)
{
    model.setHorizontalHeaderLabels(
        {QStringLiteral("No."), QStringLiteral("Files"), QStringLiteral("Time")});
    for (int i = 0; i < rowCount; ++i) {
        model.appendRow(listRow(QString::number(i + 1), QStringLiteral("FILE%1.MOV").arg(i),
                                QStringLiteral("12:00:00 01-02-2020")));
    }
}

// A play list as the player window sets it up: 200 x 300 at (10, 10) of its window with its
// 12-pixel bars right and below, the three columns, and `rows` rows.
class ListFixture : public testing::Test
{
protected:
    void build(int rowCount)
    {
        window.resize(400, 400);
        list = new PlaylistView(&window);
        list->setGeometry(10, 10, 212, 312);
        fillListModel(rows, rowCount);
        list->setModel(&rows);
        list->setColumnWidths({32, 140, 130});
        vbar = list->verticalBar();
        hbar = list->horizontalBar();
        ASSERT_NE(vbar, nullptr);
        ASSERT_NE(hbar, nullptr);
        vbar->setPictures({solidImage(12, 11, kBarCap), solidImage(12, 26, kBarArrow),
                           solidImage(12, 1, kBarChannel), solidImage(12, 26, kBarArrow),
                           solidImage(11, 11, kBarCap), solidImage(12, 26, kBarThumb)});
        hbar->setPictures({{},
                           solidImage(26, 12, kBarArrow),
                           solidImage(1, 12, kBarChannel),
                           solidImage(26, 12, kBarArrowEnd),
                           {},
                           solidImage(26, 12, kBarThumb)});
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    int vPos() const { return list->verticalScrollBar()->value(); }
    int vLimit() const { return list->verticalScrollBar()->maximum(); }
    int hPos() const { return list->horizontalScrollBar()->value(); }
    int hLimit() const { return list->horizontalScrollBar()->maximum(); }

    QStandardItemModel rows;  // outlives the list, a child of the window
    QWidget window;
    PlaylistView* list = nullptr;
    SkinScrollBar* vbar = nullptr;
    SkinScrollBar* hbar = nullptr;
};
