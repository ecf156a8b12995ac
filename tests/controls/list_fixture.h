#pragma once

#include "skin_header_ctrl.h"
#include "skin_horizontal_scrollbar.h"
#include "skin_list_ctrl.h"
#include "skin_verticle_scrollbar.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include <string>

// Distinct colours for the pieces of the bars and the header.
const QColor kBarCap(1, 1, 101);
const QColor kBarArrow(2, 2, 102);
const QColor kBarChannel(3, 3, 103);
const QColor kBarThumb(250, 250, 4);

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
        list->InsertColumn(0, QStringLiteral("No."), Qt::AlignHCenter, 32);
        list->InsertColumn(1, QStringLiteral("Files"), Qt::AlignLeft, 140);
        list->InsertColumn(2, QStringLiteral("Time"), Qt::AlignLeft, 130);
        for (int i = 0; i < rowCount; ++i)
            list->AppendRow(std::to_string(i + 1), "FILE" + std::to_string(i) + ".MOV",
                            "12:00:00 01-02-2020");
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

    QWidget window;
    CSkinListCtrl* list = nullptr;
    CSkinVerticleScrollbar* vbar = nullptr;
    CSkinHorizontalScrollbar* hbar = nullptr;
};
