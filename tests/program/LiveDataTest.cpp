// Watching the vehicle live: LiveData, the poll, the sample windows, the log, Stop.
#include "MainWindowFixture.h"
#include "ZGraph.h"

#include <QMouseEvent>
#include <QPlainTextEdit>

namespace {

Bytes recordAt(int second, const Reading& reading = Reading())
{
    return bytesOf(rawRecord({2008, 12, 31, 23, 59, second}, reading));
}

} // namespace

TEST_F(MainWindow, LiveDataStartsTheStreamAndEveryRecordReachesGraphsLogAndList)
{
    sim->setAnswering(false);  // the test decides what arrives
    button("LiveData")->click();
    ASSERT_TRUE(sim->waitForReceived(1, 2000));
    EXPECT_EQ(sim->received(), Bytes{'c'});
    EXPECT_EQ(out(), "LiveData\n");
    EXPECT_FALSE(button("LiveData")->isEnabled());
    EXPECT_TRUE(button("Stop")->isEnabled());

    putOnLine(concat({recordAt(30, exampleReading()), recordAt(35, exampleReading())}));
    ASSERT_TRUE(waitForRecords(2));

    EXPECT_EQ(gui->contents().sampleIndex, 2);
    EXPECT_FLOAT_EQ(gui->contents().values[Throttle][0], 12.0f);
    EXPECT_FLOAT_EQ(gui->contents().values[Voltage][1], 12.34f);
    EXPECT_FLOAT_EQ(gui->contents().values[Time][0], 0.0f);
    EXPECT_FLOAT_EQ(gui->contents().values[Time][1], 5.0f);
    std::vector<float> shown;
    graph(Voltage)->getData(shown);
    EXPECT_EQ(shown, gui->contents().values[Voltage]);

    EXPECT_EQ(logView()->toPlainText().toStdString(),
              "2008-12-31 23:59:30 12.00 150.00 45.67 12.34 1.50 10.00 20.50 87.00 22.50\n"
              "2008-12-31 23:59:35 12.00 150.00 45.67 12.34 1.50 10.00 20.50 87.00 22.50");
    EXPECT_EQ(sim->received(), Bytes{'c'}) << "no 'n' is sent in live mode";
}

TEST_F(MainWindow, TimeCountsFromTheFirstRecordOfTheRunEvenAfterLiveDataAgain)
{
    sim->setAnswering(false);
    button("LiveData")->click();
    putOnLine(recordAt(10));
    ASSERT_TRUE(waitForRecords(1));

    button("Stop")->click();
    button("LiveData")->click();
    EXPECT_EQ(int(gui->contents().records.size()), 0) << "LiveData starts a new list";
    putOnLine(recordAt(25));
    ASSERT_TRUE(waitForRecords(1));
    EXPECT_FLOAT_EQ(gui->contents().values[Time][0], 15.0f);
}

TEST_F(MainWindow, APollTakesEveryWholeRecordWaitingAndAPartOneWaitsForItsRest)
{
    sim->setAnswering(false);
    gui->liveData();
    waitUntil([] { return false; }, 150);  // let a first tick pass with nothing waiting

    Bytes burst;
    for (int i = 0; i < 14; ++i) {
        const Bytes one = recordAt(i);
        burst.insert(burst.end(), one.begin(), one.end());
    }
    const Bytes last = recordAt(20);
    putOnLine(concat({burst, Bytes(last.begin(), last.begin() + 33)}));

    gui->doData();
    EXPECT_EQ(int(gui->contents().records.size()), 14) << "one tick keeps up with a second of the line";
    gui->doData();
    EXPECT_EQ(int(gui->contents().records.size()), 14) << "33 bytes are not a record yet";

    putOnLine(Bytes(last.begin() + 33, last.end()));
    gui->doData();
    EXPECT_EQ(int(gui->contents().records.size()), 15);
    EXPECT_FLOAT_EQ(gui->contents().values[Time][14], 20.0f);
}

TEST_F(MainWindow, ABrokenRecordIsReportedAndLeftOutAndTheNextOneIsTaken)
{
    sim->setAnswering(false);
    gui->liveData();
    putOnLine(recordAt(1));
    ASSERT_TRUE(waitForRecords(1));
    err();

    Reading good;
    good.speed = 1000;
    Bytes bad = recordAt(2, exampleReading());
    bad[1] = 0x42;  // "AB"
    const Bytes third = recordAt(3, exampleReading());
    const Bytes stream = concat({bad, Bytes(third.begin(), third.begin() + 20), recordAt(4, good)});
    putOnLine(stream);
    gui->doData();
    gui->doData();  // the next tick finds the line quiet and decides what waited for more

    EXPECT_EQ(err(), "Error in packet received: Num: 34 Magic: 4241\n"
                     "Error in packet received: Num: 20 Magic: 4141\n");
    EXPECT_EQ(int(gui->contents().records.size()), 2);
    EXPECT_EQ(gui->contents().sampleIndex, 2);
    EXPECT_FLOAT_EQ(gui->contents().values[Speed][1], 10.0f) << "the record after the broken ones";
    EXPECT_FLOAT_EQ(gui->contents().values[Time][1], 3.0f);
    ASSERT_TRUE(waitUntil([this] { return liveViewUpToDate(); }));
    EXPECT_EQ(logView()->blockCount(), 2);
}

TEST_F(MainWindow, FullWindowsSlideByOneSample)
{
    sim->setAnswering(false);
    gui->liveData();
    Bytes stream;
    for (int i = 0; i < 2049; ++i) {
        Reading r;
        r.battery = i % 256;
        r.speed = i;
        const RawRecord raw = rawRecord({2009, 1, 1, 0, i / 60 % 60, i % 60}, r);
        stream.insert(stream.end(), raw.begin(), raw.end());
    }
    sim->sendRaw(stream);
    ASSERT_TRUE(waitForRecords(2049, 30000));

    EXPECT_EQ(gui->contents().sampleIndex, 2048);
    const std::vector<float>& speed = gui->contents().values[Speed];
    ASSERT_EQ(speed.size(), 2048u);
    EXPECT_FLOAT_EQ(speed[0], 0.01f) << "position 0 holds what was sample 2";
    EXPECT_FLOAT_EQ(speed[2047], 20.48f) << "the newest sample is last";
    EXPECT_EQ(int(gui->contents().records.size()), 2049) << "the list keeps every record";
}

TEST_F(MainWindow, StopSendsRButThePollStillTakesLateRecords)
{
    sim->setAnswering(false);
    button("LiveData")->click();
    ASSERT_TRUE(sim->waitForReceived(1, 2000));
    sim->clearReceived();
    out();
    button("Stop")->click();
    EXPECT_EQ(out(), "Stop\n");
    ASSERT_TRUE(sim->waitForReceived(1, 2000));
    EXPECT_EQ(sim->received(), Bytes{'r'});
    EXPECT_TRUE(button("LiveData")->isEnabled());
    EXPECT_TRUE(button("FetchData")->isEnabled());
    EXPECT_FALSE(button("Stop")->isEnabled());
    EXPECT_TRUE(gui->portSession().polling());

    sim->sendRaw(recordAt(40));
    ASSERT_TRUE(waitForRecords(1));
}

TEST_F(MainWindow, BeforeLiveDataEveryPolledRecordIsAnsweredWithN)
{
    sim->setAnswering(false);
    sim->sendRaw(concat({recordAt(1), recordAt(2)}));
    ASSERT_TRUE(waitForRecords(2));
    ASSERT_TRUE(sim->waitForReceived(2, 2000));
    EXPECT_EQ(sim->received(), (Bytes{'n', 'n'}));
}

TEST_F(MainWindow, TheLogKeepsTheNewestLinesButTheListKeepsEveryRecord)
{
    sim->setAnswering(false);
    gui->liveData();
    const int total = LiveView::logViewLines + 25;
    Bytes stream;
    for (int i = 0; i < total; ++i)
    {
        const RawRecord raw = rawRecord({2009, 1, 1, i / 3600, i / 60 % 60, i % 60});
        stream.insert(stream.end(), raw.begin(), raw.end());
    }
    sim->sendRaw(stream);
    ASSERT_TRUE(waitForRecords(total, 60000));

    EXPECT_EQ(logView()->blockCount(), LiveView::logViewLines);
    EXPECT_TRUE(logView()->toPlainText().endsWith("2009-01-01 02:47:04 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0.00"));
    EXPECT_EQ(int(gui->contents().records.size()), total);
}

TEST_F(MainWindow, NoCommandStartsBetweenTwoRecordsOfAPollTick)
{
    sim->setAnswering(false);
    gui->show();
    gui->liveData();
    Bytes burst;
    for (int i = 0; i < 5; ++i) {
        const Bytes one = recordAt(i);
        burst.insert(burst.end(), one.begin(), one.end());
    }
    putOnLine(burst);
    sim->clearReceived();
    out();

    // A click on FetchData arrives while the tick takes its records: it waits for the tick's end.
    QPushButton* fetch = button("FetchData");
    const QPointF centre = QRectF(fetch->rect()).center();
    const QPointF global = fetch->mapToGlobal(centre);
    QCoreApplication::postEvent(fetch, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                                       Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(fetch, new QMouseEvent(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                                                       Qt::NoButton, Qt::NoModifier));
    gui->doData();
    EXPECT_EQ(int(gui->contents().records.size()), 5);
    EXPECT_EQ(out(), "");
    EXPECT_TRUE(sim->received().empty()) << "nothing was sent between the records";
}

TEST_F(MainWindow, EveryLiveDataStartsWithNothingLeftOfTheRunBefore)
{
    sim->setAnswering(false);
    gui->liveData();
    const Bytes cut = recordAt(2);
    putOnLine(concat({recordAt(1), Bytes(cut.begin(), cut.begin() + 20)}));
    gui->doData();
    ASSERT_EQ(int(gui->contents().records.size()), 1);

    button("Stop")->click();
    button("LiveData")->click();
    err();
    putOnLine(recordAt(3));
    ASSERT_TRUE(waitForRecords(1));
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(err(), "") << "the unfinished record went with its run";
    EXPECT_EQ(int(gui->contents().records.size()), 1);
    EXPECT_FLOAT_EQ(gui->contents().values[Time][0], 2.0f);
}
