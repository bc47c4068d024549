// The data directory dialog, driven the way a user drives it.
#include "MainWindowFixture.h"
#include "WDataDirectory.h"

#include <QTest>

class DataDirectoryDialog : public MainWindow
{
protected:
    void SetUp() override
    {
        carsim::Options options = quietCarComputer();
        options.blocks = 5;
        options.recordsPerBlock = 3;
        startWith(options);
        dialog = directoryDialog();
        gui->fetchData();
        out();
    }

    void clickRow(int row)
    {
        QListWidget* list = dialog->rows();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(list->item(row)).center());
    }

    WDataDirectory* dialog = nullptr;
};

TEST_F(DataDirectoryDialog, IsTitledAndCannotShrinkBelowItsList)
{
    EXPECT_EQ(dialog->windowTitle(), "Data Directory");
    EXPECT_FALSE(dialog->isModal());
    dialog->resize(10, 10);
    EXPECT_GE(dialog->rows()->width(), 300);
    EXPECT_GE(dialog->rows()->height(), 300);
    EXPECT_EQ(dialog->rows()->selectionMode(), QAbstractItemView::MultiSelection);
}

TEST_F(DataDirectoryDialog, RowsClickedInAnyOrderAreHandedOverInAscendingOrder)
{
    ASSERT_EQ(dialog->rows()->count(), 5);
    clickRow(3);
    clickRow(0);
    clickRow(2);
    clickRow(4);
    clickRow(4);  // a second click takes the row back
    QTest::mousePress(dialogButton(dialog, "Download"), Qt::LeftButton);
    EXPECT_EQ(out(), "Selected\nFetchDataDir: 3\nFetch: Start: 0 Num: 3\nFetch: Start: 6 Num: 3\n"
                     "Fetch: Start: 9 Num: 3\n");
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(DataDirectoryDialog, RefillingShowsTheSameRowsOnceWithNothingSelected)
{
    clickRow(1);
    QStringList before;
    for (int i = 0; i < dialog->rows()->count(); ++i)
        before << dialog->rows()->item(i)->text();
    dialog->update();
    QStringList after;
    for (int i = 0; i < dialog->rows()->count(); ++i)
        after << dialog->rows()->item(i)->text();
    EXPECT_EQ(after, before);
    EXPECT_TRUE(dialog->rows()->selectedItems().isEmpty());
}

TEST_F(DataDirectoryDialog, CancelOnlyHides)
{
    sim->clearReceived();
    QTest::mousePress(dialogButton(dialog, "Cancel"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(out(), "");
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(sim->received().empty());
}

TEST_F(DataDirectoryDialog, EscapeOnlyHides)
{
    sim->clearReceived();
    ASSERT_TRUE(dialog->isVisible());
    QWidget* focus = dialog->focusWidget();
    QTest::keyClick(focus ? focus : dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(out(), "");
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(sim->received().empty());
}
