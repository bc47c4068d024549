// The record step below the window: the live poll and the download take the
// Car Computer's records into a recording, over a real pseudo-terminal to the
// simulator, with an event loop and no widget.
#include "Download.h"
#include "LivePoll.h"
#include "RecordStepSupport.h"

#include <algorithm>

namespace {

ZList<int> rowsOf(std::initializer_list<int> rows)
{
    ZList<int> list;
    for (int row : rows)
        list.append(row);
    return list;
}

// A Car Computer on a line of its own, the port open on it but not polled (the
// test ticks), and the record step between them.
class Intake : public ::testing::Test
{
protected:
    void SetUp() override
    {
        console.start();
        ASSERT_TRUE(started && session.open()) << sim.errorText();
        session.setPolling(false);
        QObject::connect(&recording, &Recording::appended, [this](int n) { batches.push_back(n); });
        out();
    }
    void TearDown() override { console.stop(HasFailure()); }

    // A live run (mode 1) or none (mode 0), with a Car Computer that only listens.
    void live(int mode)
    {
        sim.setAnswering(false);
        poll.startRun(mode);
    }
    // A download of `rows` that the Car Computer leaves with `faults`: how long it took.
    qint64 leftBy(const carsim::Faults& faults, const ZList<int>& rows)
    {
        ZList<ZString> lines;
        download.getDirectory(lines);
        sim.setFaults(faults);
        QElapsedTimer clock;
        clock.start();
        download.fetchRows(rows);
        EXPECT_EQ(session.holder(), PortSession::Use::None);
        return clock.elapsed();
    }
    void putOnLine(const Bytes& bytes) { ::putOnLine(sim, session, bytes); }
    int held() const { return int(recording.count()); }
    float timeOf(int index) const { return recording.sample(index, Time); }
    std::string out() { return console.out(); }
    std::string err() { return console.err(); }

    CapturedConsole console;
    carsim::CarSimulator sim{quietCarComputer()};
    bool started = sim.start();
    std::string device = sim.devicePath();
    ZSerial port;
    PortSession session{port, ZString(device.c_str())};
    Recording recording;
    LivePoll poll{session, recording};
    Download download{session, recording};
    std::vector<int> batches;  // each appended(n)
};

} // namespace

// A tick takes every whole record waiting at once and lets a part wait for its
// rest; bytes that are no record are reported and left out; a new run frames
// nothing left of the last; a closing line keeps the whole record that waited
// to see what follows it.
TEST_F(Intake, ALiveRunTakesWholeRecordsReportsBrokenOnesAndKeepsWhatTheLineLeaves)
{
    live(1);
    Bytes burst;
    for (int i = 0; i < 14; ++i)
        burst = concat({burst, recordAt(i)});
    const Bytes cut = recordAt(20);
    putOnLine(concat({burst, Bytes(cut.begin(), cut.begin() + 33)}));
    poll.tick();
    EXPECT_EQ(batches, std::vector<int>{14}) << "one tick keeps up with a second of the line";
    poll.tick();
    EXPECT_EQ(held(), 14) << "33 bytes are not a record yet";
    putOnLine(Bytes(cut.begin() + 33, cut.end()));
    poll.tick();
    ASSERT_EQ(held(), 15);
    EXPECT_FLOAT_EQ(timeOf(14), 20.0f);

    Reading good;
    good.speed = 1000;
    Bytes bad = recordAt(21, exampleReading());
    bad[1] = 0x42;  // "AB"
    const Bytes third = recordAt(22, exampleReading());
    putOnLine(concat({bad, Bytes(third.begin(), third.begin() + 20), recordAt(23, good)}));
    poll.tick();
    poll.tick();  // the line is quiet now: what waited for more is decided
    EXPECT_EQ(err(), "Error in packet received: Num: 34 Magic: 4241\n"
                     "Error in packet received: Num: 20 Magic: 4141\n");
    ASSERT_EQ(held(), 16);
    EXPECT_FLOAT_EQ(recording.sample(15, Speed), 10.0f) << "the record after the broken ones";
    EXPECT_FLOAT_EQ(timeOf(15), 23.0f);

    putOnLine(concat({recordAt(24), Bytes(cut.begin(), cut.begin() + 20)}));
    poll.tick();
    live(1);
    putOnLine(recordAt(25));
    poll.tick();
    poll.tick();
    EXPECT_EQ(err(), "") << "the unfinished record went with its run";
    ASSERT_EQ(held(), 18);
    EXPECT_FLOAT_EQ(timeOf(17), 25.0f);

    Bytes last = recordAt(27);
    last.back() = 0x41;  // its last byte could open the next record
    putOnLine(concat({recordAt(26), last}));
    poll.tick();
    EXPECT_EQ(held(), 19) << "the last waits to see what follows it";
    sim.unplug();
    poll.tick();
    EXPECT_TRUE(session.isLost());
    ASSERT_EQ(held(), 20);
    EXPECT_EQ(recording.record(19).sec(), 27);
    EXPECT_EQ(err(), "Error: Lost the serial port: " + device + "\n");
}

// Outside live mode the Car Computer sends each record once asked: the poll
// answers every one with 'n'.
TEST_F(Intake, OutsideLiveModeEveryRecordIsAnsweredWithN)
{
    for (int mode : {0, 1}) {
        live(mode);
        sim.clearReceived();
        putOnLine(concat({recordAt(1), recordAt(2)}));
        poll.tick();
        EXPECT_EQ(batches.back(), 2) << mode;
        sim.waitForReceived(2, mode == 0 ? 2000 : 200);
        EXPECT_EQ(sim.received(), (mode == 0 ? Bytes{'n', 'n'} : Bytes())) << mode;
    }
}

// Info, then one 'n' per entry from where the Info reply puts the oldest (the
// ring's arithmetic is DownloadPlanTest's); a wrong magic ends the read, the
// entries before it listed.
TEST_F(Intake, TheDirectoryIsReadFromWhereTheInfoReplyPutsIt)
{
    ZList<ZString> lines;
    download.getDirectory(lines);
    EXPECT_EQ(out(), "GetDirectory\nGetInfo\nInfo: DirNumber: 64, DirPos: 3, DataPos: 300\nRead from: 3 Num: 64\n");
    EXPECT_EQ(sim.received(), concat({{'i', 'd'}, le32(3), le16(64), Bytes(64, 'n')}));
    // Three blocks were logged into slots 0 to 2; the other 61 slots are empty.
    ASSERT_EQ(lines.count(), 3);
    const carsim::Stamp start = carsim::recordStamp(sim.store().records[200]);
    EXPECT_EQ(std::string(lines[2].cStr()), QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d 200", start.year,
                  start.month, start.day, start.hour, start.minute, start.second).toStdString());

    sim.setAnswering(false);
    sim.clearReceived();
    const Bytes entry = {0x41, 0x41, 0x02, 0x05, 0x09, 0x07, 0x03, 0x08};  // logged 2008-03-07 09:05:02
    Bytes wrong = entry;
    wrong[1] = 0x42;
    putOnLine(concat({infoReply(64, 3, 300), {0x06}, entry, le32(0), entry, le32(100), wrong, le32(200), entry,
                      le32(300)}));
    ZList<ZString> cut;
    download.getDirectory(cut);
    ASSERT_EQ(cut.count(), 2);
    EXPECT_STREQ(cut[1].cStr(), "2008-03-07 09:05:02 100");
    EXPECT_EQ(err(), "Error in directory received: 4241\n");
    sim.waitForReceived(11, 2000);
    EXPECT_EQ(sim.received(), concat({{'i', 'd'}, le32(3), le16(64), Bytes(3, 'n')})) << "no 'n' after it";
}

// The blocks of the rows chosen come record by record, each asked for with
// 'n'; damaged ones are reported and left out, the others kept in order; Stop
// ends the download after the record on its way.
TEST_F(Intake, ChosenBlocksComeRecordByRecordUntilTheLastOrStop)
{
    ZList<ZString> lines;
    download.getDirectory(lines);
    sim.clearReceived();
    out();
    EXPECT_EQ(download.fetchRows(rowsOf({})), Download::Ended::Finished);
    EXPECT_EQ(out(), "FetchDataDir: 0\n");
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(sim.received().empty()) << "nothing chosen, nothing sent";

    carsim::Faults faults;
    faults.wrongMagicEvery = 7;    // records 7, 14 ... 98 of the block
    faults.shortRecordEvery = 60;  // record 60, cut to 20 bytes: its read waits out the time-out
    sim.setFaults(faults);
    download.fetchRows(rowsOf({0}));
    sim.waitForReceived(dataTransfer(0, 100).size(), 2000);
    EXPECT_EQ(sim.received(), dataTransfer(0, 100));
    const std::string errors = err();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 15) << errors;
    EXPECT_EQ(errors.rfind("Error in packet received: Num: 34 Magic: 4241\n", 0), 0u) << errors;
    EXPECT_NE(errors.find("Error in packet received: Num: 20 Magic: 4141\n"), std::string::npos) << errors;
    const carsim::Store store = sim.store();
    ASSERT_EQ(held(), 85);
    int kept = 0;
    for (int k = 1; k <= 100; ++k)
        EXPECT_TRUE(k % 7 == 0 || k == 60 || sameStamp(recording.record(kept++), store.records[std::size_t(k - 1)]))
            << k;

    sim.setFaults(carsim::Faults());
    sim.clearReceived();
    recording.clear();
    out();
    EXPECT_EQ(download.fetchRows(rowsOf({0, 2})), Download::Ended::Finished);
    sim.waitForReceived(2 * 108, 2000);
    EXPECT_EQ(out(), "FetchDataDir: 2\nFetch: Start: 0 Num: 100\nFetch: Start: 200 Num: 100\n");
    EXPECT_EQ(sim.received(), concat({dataTransfer(0, 100), dataTransfer(200, 100)}));
    ASSERT_EQ(held(), 200);
    for (int i : {0, 99, 200, 299})
        EXPECT_TRUE(sameStamp(recording.record(i < 200 ? i : i - 100), store.records[std::size_t(i)])) << i;
    EXPECT_EQ(session.bytesWaiting(), 0) << "the extra 'n' brings no record";

    sim.clearReceived();
    recording.clear();
    QObject::connect(&download, &Download::progress, [this] {
        if (held() >= 20)
            session.stopTransfer();
    });
    EXPECT_EQ(download.fetchRows(rowsOf({0, 1})), Download::Ended::Stopped);
    const int taken = held();
    EXPECT_GE(taken, 20);
    EXPECT_LT(taken, 100);
    const Bytes sent = sim.received();
    EXPECT_EQ(std::count(sent.begin() + 7, sent.end(), std::uint8_t('n')), taken) << "none asked for after Stop";
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(session.bytesWaiting(), 0) << "no record is left on the line";
    EXPECT_EQ(session.holder(), PortSession::Use::None);
}

// Without a directory "All Data" is the one block: the whole store of 2048
// positions from the one after DataPos (DownloadPlanTest has where
// it wraps). Of them 300 are logged; the erased ones come back as broken
// records, reported and left out.
TEST_F(Intake, WithoutADirectoryAllDataReadsTheWholeStore)
{
    sim.setInfoReply(infoReply(0, 0, 2047));
    ZList<ZString> lines;
    download.getDirectory(lines);
    EXPECT_EQ(lines.count(), 0);
    EXPECT_EQ(sim.received(), Bytes{'i'}) << "no directory is asked for";
    sim.clearReceived();
    out();
    download.fetchRows(rowsOf({0}));
    EXPECT_EQ(out(), "FetchDataDir: 1\nFetch: Start: 2048 Num: 2048\n");
    ASSERT_TRUE(sim.waitForReceived(dataTransfer(2048, 2048).size(), 2000));
    EXPECT_EQ(sim.received(), dataTransfer(2048, 2048));
    EXPECT_EQ(held(), 300);
    const std::string errors = err();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2048 - 300);
    EXPECT_EQ(errors.rfind("Error in packet received: Num: 34 Magic: ffff\n", 0), 0u);

    // A directory announced, but none of it arrived (Info and the acknowledgement, then silence).
    sim.setInfoReply(infoReply(5, 3, 99));
    sim.muteAfterBytes(8 + 1);
    download.getDirectory(lines);
    EXPECT_EQ(lines.count(), 0);
    sim.muteAfterBytes(-1);
    out();
    download.fetchRows(rowsOf({0}));
    EXPECT_EQ(out(), "FetchDataDir: 1\nFetch: Start: 100 Num: 2048\n");
}

// A Car Computer that goes away mid-block ends the block with what arrived: an
// unplugged one at once, a silent one after one time-out, not one per record.
TEST_F(Intake, AnUnpluggedCarComputerEndsTheBlockWithWhatArrived)
{
    carsim::Faults faults;
    faults.unplugAfter = 30;
    EXPECT_LT(leftBy(faults, rowsOf({0, 1})), 8000) << "no time-out per record";
    EXPECT_EQ(held(), 30);
    EXPECT_NE(err().find("Error: No answer from the Car Computer: giving up block 1 after 30 of 100 records\n"),
              std::string::npos);
    EXPECT_NE(out().find("Return: -1\n"), std::string::npos);
}

TEST_F(Intake, ASilentCarComputerEndsTheBlockWithWhatArrived)
{
    carsim::Faults faults;
    faults.silentAfter = 10;
    leftBy(faults, rowsOf({0}));
    EXPECT_EQ(held(), 10);
    EXPECT_NE(err().find("giving up block 1 after 10 of 100 records\n"), std::string::npos);
    EXPECT_NE(out().find("Return: 0\n"), std::string::npos);
}
