// Downloading what the Car Computer stored, through the window: FetchData, the
// dialog's rows, Download and Stop. What the download reads and sends is the
// intake's (tests/carlink/IntakeTest).
#include "MainWindowFixture.h"
#include "WDataDirectory.h"

#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

class Download : public MainWindow
{
protected:
    // FetchData, then the rows the dialog offers.
    QStringList openDialog()
    {
        button("FetchData")->click();
        QStringList rows;
        for (int i = 0; i < directoryDialog()->rows()->count(); ++i)
            rows << directoryDialog()->rows()->item(i)->text();
        return rows;
    }

    void downloadRows(std::initializer_list<int> rows)
    {
        for (int row : rows)
            directoryDialog()->rows()->item(row)->setSelected(true);
        sim->clearReceived();
        out();
        QTest::mousePress(dialogButton(directoryDialog(), "Download"), Qt::LeftButton);
    }
};

// FetchData stops the poll and lists the directory; the rows chosen come into
// the list and the status bar tells how many; nothing chosen sends nothing.
TEST_F(Download, TheDialogListsTheDirectoryAndTheChosenBlocksComeIntoTheList)
{
    const QStringList rows = openDialog();
    EXPECT_TRUE(directoryDialog()->isVisible());
    EXPECT_FALSE(gui->portSession().polling()) << "the download reads records itself";
    EXPECT_EQ(out(), "FetchData\nGetDirectory\nGetInfo\nInfo: DirNumber: 64, DirPos: 3, DataPos: 300\n"
                     "Read from: 3 Num: 64\n");
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0].endsWith(" 0") && rows[2].endsWith(" 200")) << "the entries read, in order";

    downloadRows({2, 0});
    EXPECT_EQ(out(), "Selected\nFetchDataDir: 2\nFetch: Start: 0 Num: 100\nFetch: Start: 200 Num: 100\n");
    EXPECT_FALSE(directoryDialog()->isVisible());
    EXPECT_EQ(int(gui->contents().records.size()), 200);
    EXPECT_FALSE(gui->portSession().polling());
    EXPECT_TRUE(gui->statusBar()->currentMessage().contains("200 records"));
    // Cancel in the dialog leaves the window as it was, polled again.
    openDialog();
    QTest::mousePress(dialogButton(directoryDialog(), "Cancel"), Qt::LeftButton);
    EXPECT_EQ(int(gui->contents().records.size()), 200);
    EXPECT_TRUE(gui->portSession().polling());
    button("Save")->click();
    EXPECT_TRUE(gui->statusBar()->currentMessage().contains("Saved 200 records"));

    openDialog();
    downloadRows({});
    EXPECT_EQ(out(), "Selected\nFetchDataDir: 0\n");
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(sim->received().empty());
}

TEST_F(Download, ButtonsPressedDuringADownloadNeverPutBytesBetweenItsOwn)
{
    openDialog();
    // Half-way through the block the user presses everything that talks to the
    // Car Computer, and picks another port; the refusal stays readable.
    QTimer presser;
    QString readLater;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (int(gui->contents().records.size()) < 40)
            return;
        if (int(gui->contents().records.size()) >= 60)
            return presser.stop(), void(readLater = gui->statusBar()->currentMessage());
        if (!readLater.isNull())
            return;
        readLater = "";
        gui->liveData();
        gui->reset();
        gui->resetFull();
        gui->setTime();
        gui->fetchData();
        gui->doData();
        gui->portSession().switchTo(ZString("/nonexistent/ttyUSB9"));
    });
    presser.start(1);

    downloadRows({0});
    // The last 'n' may still be on its way to the simulator.
    sim->waitForReceived(dataTransfer(0, 100).size(), 2000);
    EXPECT_EQ(sim->received(), dataTransfer(0, 100));
    EXPECT_EQ(int(gui->contents().records.size()), 100);
    EXPECT_FALSE(gui->contents().liveMode);
    EXPECT_TRUE(readLater.startsWith("Switch: not now")) << readLater.toStdString();
}

TEST_F(Download, StopDuringADownloadEndsItCleanly)
{
    openDialog();
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (int(gui->contents().records.size()) >= 20) {
            presser.stop();
            button("Stop")->click();
        }
    });
    presser.start(1);
    EXPECT_FALSE(button("Stop")->isEnabled());

    downloadRows({0, 1});
    EXPECT_GE(int(gui->contents().records.size()), 20);
    EXPECT_LT(int(gui->contents().records.size()), 100);
    EXPECT_TRUE(button("LiveData")->isEnabled());
    EXPECT_TRUE(button("FetchData")->isEnabled());
    EXPECT_FALSE(button("Stop")->isEnabled());
}

class OlderTransfer : public Download
{
protected:
    void SetUp() override
    {
        carsim::Options options = quietCarComputer();
        options.blocks = 1;
        options.recordsPerBlock = 6;
        options.positions = 7;
        startWith(options);
    }
};

TEST_F(OlderTransfer, ThePollTakesItsRecordsWithOneNEachAfterTheRecordsAlreadyHeld)
{
    sim->setAnswering(false);
    gui->liveData();
    // Two records, and the start of a third that the live run leaves unfinished.
    const Bytes third = bytesOf(rawRecord({2009, 1, 1, 0, 0, 3}));
    putOnLine(concat({bytesOf(rawRecord({2009, 1, 1, 0, 0, 1})), bytesOf(rawRecord({2009, 1, 1, 0, 0, 2})),
                      Bytes(third.begin(), third.begin() + 20)}));
    gui->doData();
    ASSERT_EQ(int(gui->contents().records.size()), 2);
    sim->setAnswering(true);
    sim->clearReceived();
    out();
    err();

    gui->fetchDataOld();
    EXPECT_EQ(out(), "FetchData\n");
    EXPECT_FALSE(button("LiveData")->isEnabled()) << "as LiveData left it";
    EXPECT_FALSE(button("FetchData")->isEnabled());
    EXPECT_TRUE(button("Stop")->isEnabled());
    EXPECT_EQ(gui->contents().sampleIndex, 0) << "the graphs start afresh";
    // The whole store but one position, oldest first: six records.
    ASSERT_TRUE(waitUntil([&] { return int(gui->contents().records.size()) == 2 + 6; }));
    waitUntil([] { return false; }, 300);

    EXPECT_EQ(int(gui->contents().records.size()), 2 + 6);
    EXPECT_EQ(sim->dataRecordsSent(), 6);
    EXPECT_EQ(gui->contents().sampleIndex, 6);
    EXPECT_EQ(sim->received(), concat({{'d', 'n'}, Bytes(6, 'n')}));
    EXPECT_EQ(gui->contents().records[0].sec(), 1) << "the records held before stay";
    EXPECT_EQ(gui->contents().records[1].sec(), 2);
    EXPECT_TRUE(sameStamp(gui->contents().records[2], sim->store().records[0]));
    EXPECT_EQ(err(), "") << "the live run's unfinished bytes went with it";
}

} // namespace
