// The USB adapter pulled and put back: TralixGui carries on without a restart.
#include "MainWindowFixture.h"

#include <QFile>
#include <QLabel>
#include <QStatusBar>

class Replug : public MainWindow
{
protected:
    void SetUp() override
    {
        carsim::Options options = quietCarComputer();
        link = workFolder.filePath("carcomputer").toStdString();
        options.linkPath = link;
        startWith(options);
        // Opened by its stable name, as a user names an adapter.
        gui.reset();
        openWindow(link);
    }

    bool statusSays(const char* text) const
    {
        for (QLabel* label : gui->statusBar()->findChildren<QLabel*>())
            if (label->text().contains(QLatin1String(text)))
                return true;
        return false;
    }

    std::string link;
};

TEST_F(Replug, ALostPortIsSaidOnceTriedAgainAndPollingResumesInItsMode)
{
    sim->setAnswering(false);
    gui->liveData();
    const Bytes first = concat({bytesOf(rawRecord({2009, 1, 1, 0, 0, 1})), bytesOf(rawRecord({2009, 1, 1, 0, 0, 2}))});
    sim->sendRaw(first);
    ASSERT_TRUE(waitForRecords(2));
    out();
    err();

    carsim::Faults faults;
    faults.reopenAfterMs = 2500;
    sim->setFaults(faults);
    sim->unplug();
    sim->clearReceived();

    ASSERT_TRUE(waitUntil([&] { return gui->portSession().isLost(); }, 2000)) << "the hang-up was not noticed";
    EXPECT_TRUE(statusSays("Lost serial port"));
    EXPECT_FALSE(gui->portSession().polling());
    // Pressing buttons meanwhile does no harm.
    button("Stop")->click();
    gui->liveData();

    ASSERT_TRUE(waitUntil([&] { return !gui->portSession().isLost(); }, 8000)) << "the port did not come back";
    EXPECT_EQ(err(), "Error: Lost the serial port: " + link + "\n") << "said once, tried quietly";
    EXPECT_NE(out().find("Opening: " + link + "\n"), std::string::npos);
    EXPECT_TRUE(gui->portSession().polling());
    EXPECT_TRUE(gui->contents().liveMode);
    EXPECT_TRUE(statusSays("4800 baud"));

    ASSERT_TRUE(sim->waitForReceived(1, 2000));
    EXPECT_EQ(sim->received().back(), 'c') << "the stream is asked for again";
    sim->setAnswering(false);
    sim->sendRaw(bytesOf(rawRecord({2009, 1, 1, 0, 0, 3})));
    ASSERT_TRUE(waitForRecords(1)) << "records flow again";  // LiveData above started a new list
}

TEST_F(Replug, RecordsReceivedBeforeTheLossAreKept)
{
    sim->setAnswering(false);
    button("LiveData")->click();
    sim->sendRaw(concat({bytesOf(rawRecord({2009, 1, 1, 0, 0, 1})), bytesOf(rawRecord({2009, 1, 1, 0, 0, 2}))}));
    ASSERT_TRUE(waitForRecords(2));
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return gui->portSession().isLost(); }, 2000));
    EXPECT_EQ(gui->contents().records.count(), 2);
    button("Save")->click();
    QFile csv("cardata.csv");
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().count('\n'), 2);
}
