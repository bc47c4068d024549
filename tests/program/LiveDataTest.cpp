// Watching the vehicle live through the window: LiveData and Stop, the graphs
// and the log. What a poll tick takes is the intake's (tests/carlink/IntakeTest).
#include "MainWindowFixture.h"
#include "ZGraph.h"

#include <QMouseEvent>
#include <QPlainTextEdit>

// LiveData asks for the stream and every record reaches the graphs and the
// log; Stop ends the stream but late records are still taken; LiveData again
// starts a new list whose Time still counts from the first record.
TEST_F(MainWindow, LiveDataShowsEveryRecordStopEndsTheStreamAndLiveDataAgainStartsANewList)
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
    std::vector<float> shown;
    graph(Voltage)->getData(shown);
    EXPECT_EQ(shown, gui->contents().values[Voltage]);
    EXPECT_EQ(logView()->toPlainText().toStdString(),
              "2008-12-31 23:59:30 12.00 150.00 45.67 12.34 1.50 10.00 20.50 87.00 22.50\n"
              "2008-12-31 23:59:35 12.00 150.00 45.67 12.34 1.50 10.00 20.50 87.00 22.50");

    sim->clearReceived();
    button("Stop")->click();
    EXPECT_EQ(out(), "Stop\n");
    ASSERT_TRUE(sim->waitForReceived(1, 2000));
    EXPECT_EQ(sim->received(), Bytes{'r'});
    EXPECT_TRUE(button("LiveData")->isEnabled());
    EXPECT_TRUE(button("FetchData")->isEnabled());
    EXPECT_FALSE(button("Stop")->isEnabled());
    EXPECT_TRUE(gui->portSession().polling());
    sim->sendRaw(recordAt(40));
    ASSERT_TRUE(waitForRecords(3));

    button("LiveData")->click();
    EXPECT_EQ(int(gui->contents().records.size()), 0) << "LiveData starts a new list";
    putOnLine(recordAt(45));
    ASSERT_TRUE(waitForRecords(1));
    EXPECT_FLOAT_EQ(gui->contents().values[Time][0], 15.0f);
}

TEST_F(MainWindow, TheLogKeepsTheNewestLinesButTheListKeepsEveryRecord)
{
    sim->setAnswering(false);
    gui->liveData();
    const int total = LiveView::logViewLines + 25;
    Bytes stream;
    for (int i = 0; i < total; ++i) {
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
    for (int i = 0; i < 5; ++i)
        burst = concat({burst, recordAt(i)});
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
