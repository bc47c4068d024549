// View > Summary beside ten graphs and their history: the figures of a known
// drive for each range, kept up with as records come, a click on a maximum,
// the copied text and the exported CSV.
#include "DriveRecords.h"
#include "SummaryWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString valueOf(const SummaryPanel& panel, const QString& name)
{
    const QTableWidget* table = panel.table();
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 0)->text() == name)
            return table->item(row, 1)->text() + ' ' + table->item(row, 2)->text();
    return "no row " + name;
}

} // namespace

TEST(SummaryPanel, ShowsTheFiguresOfEachRangeAndKeepsUp)
{
    SummaryWindow shown;
    auto& [window, graphs, recording, history, toggle, panel] = shown;
    std::vector<DriveStep> drive;
    for (int s = 0; s <= 5400; ++s)
        drive.push_back({s, s == 3000 ? 50.0 : 36.0, 100, 10, 500 + s / 36, 20, 90 - s / 600});
    addDrive(recording, drive);
    history.setLive(false);
    window.resize(1000, 700);
    window.show();
    panel.toggle();
    ASSERT_TRUE(panel.isVisible() && toggle.isChecked());

    panel.refresh();
    EXPECT_EQ(panel.rangeText(), "Records 0 to 5400 (5401 records): the whole recording.");
    EXPECT_EQ(valueOf(panel, "Distance"), "54.00 km");  // the record at 50 km/h adds 4 m
    EXPECT_EQ(valueOf(panel, "Energy drawn"), "1500.0 Wh");
    EXPECT_EQ(valueOf(panel, "Net charge"), "15.00 Ah");
    EXPECT_EQ(valueOf(panel, "Battery used"), "9 %");
    EXPECT_EQ(valueOf(panel, "Power average"), "1000.0 W");  // 100 V x 10 A

    panel.setRange(SummaryPanel::Shown);
    history.showRange(1000, 2800);
    panel.refresh();
    EXPECT_EQ(panel.rangeText(), "Records 1000 to 2799 (1800 records): the stretch shown.");
    EXPECT_EQ(valueOf(panel, "Distance"), "17.99 km");

    panel.setRange(SummaryPanel::BetweenCursors);
    EXPECT_EQ(valueOf(panel, "Records"), "0 ");
    EXPECT_TRUE(panel.rangeText().contains("pin a cursor"));
    // Once pinned, the figures follow the pointer at once, move by move.
    history.pointAt(1000);
    history.pinCursor();
    for (qint64 pointer : {1100, 1250}) {
        history.pointAt(pointer);
        EXPECT_EQ(valueOf(panel, "Records").toStdString(), std::to_string(pointer - 999) + ' ');
    }

    // A click on the maximum speed scrolls the history to its record and points there.
    panel.setRange(SummaryPanel::Whole);
    const QTableWidget* table = panel.table();
    const auto found = table->findItems("Maximum speed", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(found[0]).center());
    EXPECT_EQ(history.cursorIndex(), 3000);
    EXPECT_TRUE(history.visibleRange().first <= 3000 && 3000 < history.visibleRange().last);

    QApplication::clipboard()->clear();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    panel.widget()->setFocus();
    QTest::keyClick(panel.widget(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::clipboard()->text().contains("\nDistance\t54.00 km\n"));
    QTemporaryDir folder;
    ASSERT_TRUE(panel.exportTo(folder.filePath("summary.csv")));
    QFile csv(folder.filePath("summary.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    ASSERT_GE(lines.size(), 2);
    const int distance = int(lines[0].split(',').indexOf("Distance (km)"));
    ASSERT_GE(distance, 0);
    EXPECT_EQ(lines[1].split(',')[distance], "54.00");

    // Records as from a live run: the figures follow within the throttle.
    addDrive(recording, {{5401, 36, 100, 10}, {5402, 36, 100, 10}});
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel.summary().records == 5403; }, 2000));
}
