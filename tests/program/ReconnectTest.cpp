// The USB adapter pulled and put back: what the window shows of it and what it
// keeps. The cycle itself is the port session's (tests/session/PortSessionTest),
// the record a closing line leaves the intake's (tests/carlink/IntakeTest).
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
