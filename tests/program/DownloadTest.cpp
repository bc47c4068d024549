// Downloading what the Car Computer stored: directory, dialog rows, blocks.
#include "MainWindowFixture.h"
#include "WDataDirectory.h"

#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

Bytes repeated(std::uint8_t byte, int count)
{
    return Bytes(std::size_t(count), byte);
}

Bytes dataTransfer(std::int32_t start, std::uint16_t num)
{
    return concat({{'d'}, le32(start), le16(num), repeated('n', num + 1)});
}

Bytes infoReply(std::uint16_t dirNumber, std::uint16_t dirPos, std::int32_t dataPos)
{
    return concat({le16(dirNumber), le16(dirPos), le32(dataPos)});
}

// A directory entry off the wire: a block logged 2008-03-07 09:05:02 at `position`.
Bytes directoryEntry(std::int32_t position, std::uint8_t magic2 = 0x41)
{
    return concat({{0x41, magic2, 0x02, 0x05, 0x09, 0x07, 0x03, 0x08}, le32(position)});
}

// Whether a kept record is the one stored: its calendar bytes, decoded.
bool sameStamp(const Data& kept, const carsim::DataBytes& stored)
{
    const carsim::Stamp s = carsim::recordStamp(stored);
    return kept.sec() == s.second && kept.min() == s.minute && kept.hour() == s.hour && kept.day() == s.day &&
           1900 + kept.year() == s.year;
}



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

TEST_F(Download, TheDialogListsTheDirectoryReadFromTheCarComputer)
{
    const carsim::InfoValues info = sim->info();
    ASSERT_EQ(info.dirNumber, 64);
    ASSERT_EQ(info.dirPos, 3);
    ASSERT_EQ(info.dataPos, 300);

    const QStringList rows = openDialog();
    EXPECT_TRUE(directoryDialog()->isVisible());
    EXPECT_FALSE(gui->portSession().polling()) << "the download reads records itself";
    EXPECT_EQ(out(), "FetchData\nGetDirectory\nGetInfo\nInfo: DirNumber: 64, DirPos: 3, DataPos: 300\n"
                     "Read from: 3 Num: 64\n");
    EXPECT_EQ(sim->received(), concat({{'i', 'd'}, le32(3), le16(64), repeated('n', 64)}));

    // Three blocks were logged into slots 0 to 2; the other 61 slots are empty.
    ASSERT_EQ(rows.size(), 3);
    const carsim::Store store = sim->store();
    for (int i = 0; i < 3; ++i) {
        const carsim::Stamp start = carsim::recordStamp(store.records[std::size_t(i * 100)]);
        const QString expected = QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d %d", start.year, start.month,
                                                   start.day, start.hour, start.minute, start.second, i * 100);
        EXPECT_EQ(rows[i], expected);
    }
}

TEST_F(Download, ChosenBlocksArePulledRecordByRecordIntoTheList)
{
    openDialog();
    downloadRows({2, 0});
    sim->waitForReceived(2 * 108, 2000);

    EXPECT_EQ(out(), "Selected\nFetchDataDir: 2\nFetch: Start: 0 Num: 100\nFetch: Start: 200 Num: 100\n");
    EXPECT_EQ(sim->received(), concat({dataTransfer(0, 100), dataTransfer(200, 100)}));
    EXPECT_FALSE(directoryDialog()->isVisible());
    ASSERT_EQ(int(gui->contents().records.size()), 200);

    // The records are the ones stored, in order.
    const carsim::Store store = sim->store();
    const RecordList& records = gui->contents().records;
    for (int i : {0, 99, 200, 299}) {
        const Data& record = records[std::size_t(i < 200 ? i : i - 100)];
        const carsim::Stamp stamp = carsim::recordStamp(store.records[std::size_t(i)]);
        EXPECT_EQ(record.sec(), stamp.second) << i;
        EXPECT_EQ(record.min(), stamp.minute) << i;
        EXPECT_EQ(1900 + record.year(), stamp.year) << i;
    }
    EXPECT_EQ(gui->portSession().bytesWaiting(), 0) << "the extra 'n' brings no record";
    EXPECT_FALSE(gui->portSession().polling());
    EXPECT_TRUE(gui->statusBar()->currentMessage().contains("200 records"));
}

TEST_F(Download, DirectoryWindowFollowsTheRingArithmetic)
{
    sim->setInfoReply(infoReply(100, 80, 5000));
    openDialog();
    EXPECT_NE(out().find("Read from: 16 Num: 64\n"), std::string::npos);
    const Bytes sent = sim->received();
    ASSERT_GE(sent.size(), 8u);
    EXPECT_EQ(Bytes(sent.begin() + 1, sent.begin() + 8), concat({{'d'}, le32(16), le16(64)}));
}

TEST_F(Download, WithoutDirectoryAllDataReadsTheWholeStore)
{
    // The store holds 300 logged records; every other position is erased and
    // comes back as a broken record, which is reported and left out.
    struct Case { std::int32_t dataPos; std::int32_t start; };
    for (const Case& c : {Case{2047, 2048}, Case{2048, 0}}) {
        sim->setInfoReply(infoReply(0, 0, c.dataPos));
        sim->clearReceived();
        EXPECT_EQ(openDialog(), QStringList{"All Data"});
        EXPECT_EQ(sim->received(), Bytes{'i'}) << "no directory is asked for";
        downloadRows({0});
        EXPECT_EQ(out(), "Selected\nFetchDataDir: 1\nFetch: Start: " + std::to_string(c.start) + " Num: 2048\n");
        const Bytes expected = dataTransfer(c.start, 2048);
        ASSERT_TRUE(sim->waitForReceived(expected.size(), 2000));
        EXPECT_EQ(sim->received(), expected);
        EXPECT_EQ(int(gui->contents().records.size()), 300);
        const std::string errors = err();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2048 - 300);
        EXPECT_EQ(errors.rfind("Error in packet received: Num: 34 Magic: ffff\n", 0), 0u);
    }
}

TEST_F(Download, AllDataStillWorksWhenADirectoryWasAnnouncedButNoneOfItArrived)
{
    sim->setInfoReply(infoReply(5, 3, 99));
    sim->muteAfterBytes(8 + 1);  // Info and the acknowledgement, then no entry
    EXPECT_EQ(openDialog(), QStringList{"All Data"});
    sim->muteAfterBytes(-1);
    downloadRows({0});
    EXPECT_EQ(out(), "Selected\nFetchDataDir: 1\nFetch: Start: 100 Num: 2048\n");
}

TEST_F(Download, NothingSelectedSendsNothing)
{
    openDialog();
    downloadRows({});
    EXPECT_EQ(out(), "Selected\nFetchDataDir: 0\n");
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(sim->received().empty());
}

TEST_F(Download, AnUnpluggedCarComputerEndsTheBlockAtOnceAndKeepsWhatArrived)
{
    openDialog();
    carsim::Faults faults;
    faults.unplugAfter = 30;
    sim->setFaults(faults);
    err();

    QElapsedTimer clock;
    clock.start();
    downloadRows({0, 1});
    EXPECT_LT(clock.elapsed(), 8000) << "the window must not wait out a time-out per record";

    EXPECT_EQ(int(gui->contents().records.size()), 30);
    const std::string errors = err();
    EXPECT_NE(errors.find("Error: No answer from the Car Computer: giving up block 1 after 30 of 100 records\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(out().find("Return: -1\n"), std::string::npos);
    EXPECT_EQ(gui->portSession().holder(), PortSession::Use::None);
}

TEST_F(Download, ASilentCarComputerCostsOneTimeOutPerBlockNotOnePerRecord)
{
    openDialog();
    carsim::Faults faults;
    faults.silentAfter = 10;
    sim->setFaults(faults);
    err();

    downloadRows({0});
    EXPECT_EQ(int(gui->contents().records.size()), 10);
    EXPECT_NE(err().find("giving up block 1 after 10 of 100 records"), std::string::npos);
    EXPECT_NE(out().find("Return: 0\n"), std::string::npos);
}

TEST_F(Download, ButtonsPressedDuringADownloadNeverPutBytesBetweenItsOwn)
{
    openDialog();
    // Half-way through the block the user presses everything that talks to the Car Computer.
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (int(gui->contents().records.size()) < 40)
            return;
        presser.stop();
        gui->liveData();
        gui->reset();
        gui->resetFull();
        gui->setTime();
        gui->fetchData();
        gui->doData();
    });
    presser.start(1);

    downloadRows({0});
    // The last 'n' may still be on its way to the simulator.
    sim->waitForReceived(dataTransfer(0, 100).size(), 2000);
    EXPECT_EQ(sim->received(), dataTransfer(0, 100));
    EXPECT_EQ(int(gui->contents().records.size()), 100);
    EXPECT_FALSE(gui->contents().liveMode);
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
    const int taken = int(gui->contents().records.size());
    EXPECT_GE(taken, 20);
    EXPECT_LT(taken, 100);

    // Every record asked for was taken, and no more were asked for.
    const Bytes sent = sim->received();
    const auto requests = std::count(sent.begin() + 7, sent.end(), std::uint8_t('n'));
    EXPECT_EQ(requests, taken);
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(gui->portSession().bytesWaiting(), 0) << "no record is left on the line";
    EXPECT_TRUE(button("LiveData")->isEnabled());
    EXPECT_TRUE(button("FetchData")->isEnabled());
    EXPECT_FALSE(button("Stop")->isEnabled());
    EXPECT_EQ(gui->portSession().holder(), PortSession::Use::None);
}

TEST_F(Download, AWrongDirectoryMagicEndsTheReadAndTheEntriesBeforeItStayListed)
{
    sim->setAnswering(false);
    putOnLine(concat({infoReply(64, 3, 300), {0x06}, directoryEntry(0), directoryEntry(100),
                      directoryEntry(200, 0x42), directoryEntry(300)}));
    err();
    EXPECT_EQ(openDialog(), (QStringList{"2008-03-07 09:05:02 0", "2008-03-07 09:05:02 100"}));
    EXPECT_EQ(err(), "Error in directory received: 4241\n");
    sim->waitForReceived(11, 2000);
    EXPECT_EQ(sim->received(), concat({{'i', 'd'}, le32(3), le16(64), repeated('n', 3)})) << "no 'n' after it";
}

TEST_F(Download, DamagedRecordsInABlockAreReportedAndLeftOutAndEveryOneIsAnsweredWithN)
{
    openDialog();
    carsim::Faults faults;
    faults.wrongMagicEvery = 7;    // records 7, 14 ... 98 of the block
    faults.shortRecordEvery = 60;  // record 60, cut to 20 bytes: its read waits out the time-out
    sim->setFaults(faults);
    err();
    downloadRows({0});

    sim->waitForReceived(dataTransfer(0, 100).size(), 2000);
    EXPECT_EQ(sim->received(), dataTransfer(0, 100));
    const std::string errors = err();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 15) << errors;
    EXPECT_EQ(errors.rfind("Error in packet received: Num: 34 Magic: 4241\n", 0), 0u) << errors;
    EXPECT_NE(errors.find("Error in packet received: Num: 20 Magic: 4141\n"), std::string::npos) << errors;

    // The records kept are the whole ones, each in its place.
    const carsim::Store store = sim->store();
    const RecordList& records = gui->contents().records;
    ASSERT_EQ(records.size(), 85u);
    int kept = 0;
    for (int k = 1; k <= 100; ++k) {
        if (k % 7 != 0 && k != 60) {
            EXPECT_TRUE(sameStamp(records[std::size_t(kept++)], store.records[std::size_t(k - 1)])) << k;
        }
    }
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

    const int taken = int(gui->contents().records.size()) - 2;
    EXPECT_EQ(taken, 6);
    EXPECT_EQ(sim->dataRecordsSent(), 6);
    EXPECT_EQ(gui->contents().sampleIndex, taken);
    EXPECT_EQ(sim->received(), concat({{'d', 'n'}, repeated('n', taken)}));
    EXPECT_EQ(gui->contents().records[0].sec(), 1) << "the records held before stay";
    EXPECT_EQ(gui->contents().records[1].sec(), 2);
    EXPECT_TRUE(sameStamp(gui->contents().records[2], sim->store().records[0]));
    EXPECT_EQ(err(), "") << "the live run's unfinished bytes went with it";
}

} // namespace
