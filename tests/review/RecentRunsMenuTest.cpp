// File > Recent Runs: newest first with records and length (whole lines only), the limit last.
#include "CsvLine.h"
#include "RecentRunsMenu.h"
#include "TempFolder.h"
#include "TestRecords.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(RecentRunsMenu, ListsTheRunsNewestFirstAndOpensTheOneChosen)
{
    TempFolder temp;
    const QString folder = QString::fromStdString(temp.path()) + "/";
    for (const char* name : {"2026-12-09_14-03-27_live.csv", "2026-12-10_08-00-00_download.csv", "cardata.csv"}) {
        QFile file(folder + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int i = 0, last = name[9] == '9' ? 3668 : 4; i <= last; i += 2)
            file.write(csvLine(decodedRecord({2009, 1, 1, 12 + i / 3600, i / 60 % 60, i % 60}), i).cStr());
        file.write("3670 2009-01-");  // a line cut short is no record
    }
    RecentRunsMenu menu(folder, 50);
    menu.refresh();
    QStringList texts;
    for (QAction* entry : menu.actions())
        texts << (entry->isSeparator() ? QString("-") : entry->text() + (entry->isEnabled() ? "" : " (off)"));
    EXPECT_EQ(texts, (QStringList{"2026-12-10 08:00:00  download, 3 records, 0:00:04",
                                  "2026-12-09 14:03:27  live, 1835 records, 1:01:08", "-",
                                  "Keeps the newest 50 runs (off)"}));
    QString chosen;
    QObject::connect(&menu, &RecentRunsMenu::chosen, [&](const QString& path) { chosen = path; });
    menu.actions()[1]->trigger();
    EXPECT_EQ(chosen, folder + "2026-12-09_14-03-27_live.csv");
}
