// The USB adapter pulled and put back: what the window shows of it and what it
// keeps. The cycle itself is the port session's (tests/carlink/PortSessionTest).
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
        sim->setAnswering(false);
        gui->liveData();
    }

    bool statusSays(const char* text) const
    {
        for (QLabel* label : gui->statusBar()->findChildren<QLabel*>())
            if (label->text().contains(QLatin1String(text)))
                return true;
        return false;
    }

    static Bytes recordAt(int second) { return bytesOf(rawRecord({2009, 1, 1, 0, 0, second})); }

    std::string link;
};

TEST_F(Replug, TheWindowShowsTheLossKeepsWhatArrivedAndTakesRecordsAgainOnceThePortIsBack)
{
    sim->sendRaw(concat({recordAt(1), recordAt(2)}));
    ASSERT_TRUE(waitForRecords(2));
    err();
    carsim::Faults faults;
    faults.reopenAfterMs = 2500;
    sim->setFaults(faults);
    sim->unplug();
    sim->clearReceived();

    ASSERT_TRUE(waitUntil([&] { return gui->portSession().isLost(); }, 2000)) << "the hang-up was not noticed";
    EXPECT_TRUE(statusSays("Lost serial port"));
    EXPECT_EQ(int(gui->contents().records.size()), 2);
    button("Save")->click();
    QFile csv("cardata.csv");
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().count('\n'), 2);
    // Pressing buttons meanwhile does no harm.
    button("Stop")->click();
    gui->liveData();
    EXPECT_FALSE(gui->portSession().polling()) << "no poll on a lost port";
    out();

    ASSERT_TRUE(waitUntil([&] { return !gui->portSession().isLost(); }, 8000)) << "the port did not come back";
    EXPECT_EQ(err(), "Error: Lost the serial port: " + link + "\n") << "said once, tried quietly";
    EXPECT_EQ(out(), "Opening: " + link + "\n");
    EXPECT_TRUE(statusSays("4800 baud"));
    EXPECT_EQ(gui->statusBar()->currentMessage(), "The serial port is back");
    EXPECT_TRUE(gui->portSession().polling());
    EXPECT_EQ(gui->contents().liveMode, 1);
    ASSERT_TRUE(sim->waitForReceived(1, 2000));
    EXPECT_EQ(sim->received().back(), 'c') << "the stream is asked for again";
    sim->sendRaw(recordAt(3));
    ASSERT_TRUE(waitForRecords(1)) << "records flow again";  // LiveData above started a new list
}

TEST_F(Replug, AWholeRecordThatWaitedForWhatFollowsIsKeptWhenTheLineCloses)
{
    Bytes last = recordAt(2);
    last.back() = 0x41;  // its last byte could open the next record
    putOnLine(concat({recordAt(1), last}));
    gui->doData();
    ASSERT_EQ(int(gui->contents().records.size()), 1) << "the second waits to see what follows it";

    sim->unplug();
    err();
    gui->doData();
    EXPECT_TRUE(gui->portSession().isLost());
    ASSERT_EQ(int(gui->contents().records.size()), 2);
    EXPECT_EQ(gui->contents().records[1].sec(), 2);
    EXPECT_EQ(err(), "Error: Lost the serial port: " + link + "\n");
}
