// The serial port over a real pseudo-terminal: opening, line settings, bounded
// reads, and a line that goes away under the program.

#include "LinkTestSupport.h"
#include "PseudoTerminal.h"
#include "ZSerial.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <future>
#include <numeric>
#include <thread>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace linktest;

TEST(SerialPort, NamesComPortsAfterTheSystemsSerialDevices)
{
    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "/dev/ttyS0"}, {"COM2", "/dev/ttyS1"}, {"COM12", "/dev/ttyS11"},
        {"COM0", "COM0"},       {"COM", "COM"},         {"COMX", "COMX"},
        {"COM1x", "COM1x"},     {"com1", "com1"},       {"/dev/pts/3", "/dev/pts/3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ZSerial::systemDeviceName(c.first), c.second) << c.first;
}

TEST(SerialPort, RefusesWhatIsNotAnExistingTerminal)
{
    char regular[] = "/tmp/carlink-regular-XXXXXX";
    int fd = mkstemp(regular);
    ASSERT_GE(fd, 0);
    ::close(fd);

    const char* names[] = {"/nonexistent/ttyCar", "", "/tmp", regular, "/dev/null"};
    for (const char* name : names) {
        ZSerial port;
        EXPECT_EQ(port.open(name), 1) << name;
        EXPECT_FALSE(port.isOpen()) << name;
        unsigned char b[4] = {};
        EXPECT_EQ(port.read(b, 4), -1) << name;
        EXPECT_EQ(port.write(b, 4), -1) << name;
        EXPECT_EQ(port.bytesAvailable(), -1) << name;
        EXPECT_EQ(port.setBaud(4800), -1) << name;
        EXPECT_EQ(port.purge(), -1) << name;
        EXPECT_EQ(port.close(), 0) << name;
        EXPECT_EQ(port.close(), 0) << name;
    }
    // Nothing was created along the way.
    EXPECT_NE(::access("/nonexistent/ttyCar", F_OK), 0);
    ::unlink(regular);
}

TEST(SerialPort, KeepsTheLineToItself)
{
    const std::string link = "/tmp/carlink-exclusive-" + std::to_string(::getpid());
    carsim::CarSimulator simulator;
    simulator.setLinkPath(link);
    ASSERT_TRUE(simulator.start()) << simulator.errorText();

    ZSerial first, second, third;
    ASSERT_EQ(first.open(simulator.devicePath().c_str()), 0);
    EXPECT_EQ(second.open(simulator.devicePath().c_str()), 1);
    EXPECT_EQ(third.open(link.c_str()), 1);  // another name for the same line

    first.close();
    ASSERT_EQ(second.open(link.c_str()), 0);
    EXPECT_EQ(third.open(simulator.devicePath().c_str()), 1);
}

namespace {

struct termios scrambledSettings()
{
    struct termios t = {};
    t.c_iflag = ICRNL | IXON | IXOFF | IXANY | ISTRIP | INLCR | BRKINT | PARMRK;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS7 | PARENB | CSTOPB | CRTSCTS | CREAD;
    t.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
    t.c_cc[VMIN] = 1;
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    return t;
}

bool sameSettings(const struct termios& a, const struct termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

} // namespace

TEST(SerialPort, SetsARawEightNOneLineAtEachSupportedRate)
{
    Line line;
    ASSERT_TRUE(line.ready());
    const std::pair<int, speed_t> rates[] = {{300, B300},     {1200, B1200},   {2400, B2400},
                                             {4800, B4800},   {9600, B9600},   {19200, B19200},
                                             {38400, B38400}, {115200, B115200}};
    for (const auto& rate : rates) {
        ASSERT_TRUE(line.simulator.setLineSettings(scrambledSettings()));
        EXPECT_EQ(line.port.setBaud(rate.first), 0) << rate.first;
        struct termios t;
        ASSERT_TRUE(line.simulator.lineSettings(t));
        EXPECT_EQ(cfgetospeed(&t), rate.second) << rate.first;
        EXPECT_EQ(cfgetispeed(&t), rate.second) << rate.first;
        EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
        EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT |
                               PARMRK | INPCK),
                  0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    }
}

TEST(SerialPort, LeavesTheLineAloneForAnUnsupportedRate)
{
    Line line;
    ASSERT_TRUE(line.ready());
    struct termios before;
    ASSERT_TRUE(line.simulator.lineSettings(before));
    for (int rate : {57600, 0, -4800, 110, 600, 4801, 230400}) {
        EXPECT_EQ(line.port.setBaud(rate), -1) << rate;
        struct termios after;
        ASSERT_TRUE(line.simulator.lineSettings(after));
        EXPECT_TRUE(sameSettings(before, after)) << rate;
    }
}

TEST(SerialPort, PassesEveryByteValueUnalteredBothWays)
{
    Line line;
    ASSERT_TRUE(line.ready());
    line.simulator.setAnswering(false);  // these bytes are not commands here
    Bytes all(256);
    std::iota(all.begin(), all.end(), 0);

    ASSERT_EQ(line.port.write(all.data(), 256), 256);
    EXPECT_EQ(line.traffic(256), all);

    line.simulator.sendRaw(all);
    Bytes back(256);
    ASSERT_EQ(line.port.read(back.data(), 256), 256);
    EXPECT_EQ(back, all);
}

TEST(SerialPort, CountsWaitingBytesAndReadsWhatIsAskedFor)
{
    Line line;
    ASSERT_TRUE(line.ready());
    EXPECT_EQ(line.port.bytesAvailable(), 0);
    Bytes forty(40);
    std::iota(forty.begin(), forty.end(), 100);
    line.simulator.sendRaw(forty);
    ASSERT_EQ(waitForAvailable(line.port, 40), 40);

    unsigned char record[34];
    ASSERT_EQ(line.port.read(record, 34), 34);
    EXPECT_EQ(bytesOf(record, 34), Bytes(forty.begin(), forty.begin() + 34));
    EXPECT_EQ(line.port.bytesAvailable(), 6);
}

TEST(SerialPort, GathersARecordThatArrivesInPieces)
{
    Line line;
    ASSERT_TRUE(line.ready());
    auto reading = std::async(std::launch::async, [&] {
        unsigned char record[34];
        return line.port.read(record, 34);
    });
    line.simulator.sendRaw(Bytes(10, 0x41));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    line.simulator.sendRaw(Bytes(24, 0x42));
    EXPECT_EQ(reading.get(), 34);
}

TEST(SerialPort, GivesUpOnAShortRecordAfterTheTimeOut)
{
    Line line;
    ASSERT_TRUE(line.ready());
    line.simulator.sendRaw(Bytes(20, 0x41));
    unsigned char record[34];
    const auto start = SteadyClock::now();
    EXPECT_EQ(line.port.read(record, 34), 20);
    const long waited = millisecondsSince(start);
    EXPECT_GE(waited, carlink::readTimeoutMs - 20);
    EXPECT_LT(waited, carlink::readTimeoutMs + 1500);

    // A silent line gives nothing, which is not a failure.
    EXPECT_EQ(line.port.read(record, 1), 0);
}

TEST(SerialPort, FailsAtOnceWhenTheLineIsUnplugged)
{
    Line line;
    ASSERT_TRUE(line.ready());
    line.simulator.unplug();

    unsigned char record[34];
    const auto start = SteadyClock::now();
    EXPECT_EQ(line.port.bytesAvailable(), -1);
    EXPECT_EQ(line.port.read(record, 34), -1);
    EXPECT_EQ(line.port.write("c", 1), -1);
    EXPECT_LT(millisecondsSince(start), carlink::readTimeoutMs / 4);
    EXPECT_EQ(line.port.close(), 0);
}

TEST(SerialPort, AReadInProgressEndsWhenTheLineIsUnplugged)
{
    struct Case { std::size_t alreadyReceived; int expected; };
    for (const Case c : {Case{0, -1}, Case{10, 10}}) {
        Line line;
        ASSERT_TRUE(line.ready());
        const auto start = SteadyClock::now();
        auto reading = std::async(std::launch::async, [&] {
            unsigned char record[34];
            return line.port.read(record, 34);
        });
        if (c.alreadyReceived)
            line.simulator.sendRaw(Bytes(c.alreadyReceived, 0x41));
        ASSERT_TRUE(line.simulator.waitUntilSent(1000));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        line.simulator.unplug();
        EXPECT_EQ(reading.get(), c.expected) << c.alreadyReceived;
        EXPECT_LT(millisecondsSince(start), carlink::readTimeoutMs / 2) << c.alreadyReceived;
    }
}

TEST(SerialPort, OpensAgainAfterClosing)
{
    Line line;
    ASSERT_TRUE(line.ready());
    const std::string device = line.simulator.devicePath();
    EXPECT_EQ(line.port.close(), 0);
    EXPECT_FALSE(line.port.isOpen());
    ASSERT_EQ(line.port.open(device.c_str()), 0);
    ASSERT_EQ(line.port.setBaud(carlink::lineBaud), 0);
    EXPECT_EQ(line.port.purge(), 0);
    Info info;
    carlink::readInfo(line.port, info);
    EXPECT_EQ(info.DirNumber, line.simulator.info().dirNumber);
}

// The read's time-out counts from the start of the read: a line that keeps
// trickling bytes must not hold the window for longer.
TEST(SerialPort, AReadWhoseBytesTrickleInEndsOnTimeAfterItBegan)
{
    PseudoTerminal line;
    ASSERT_TRUE(line.ready());
    ZSerial port;
    ASSERT_EQ(port.open(line.device().c_str()), 0);
    ASSERT_EQ(port.setBaud(carlink::lineBaud), 0);

    std::atomic<bool> readEnded{false};
    std::thread trickle([&] {
        for (int i = 0; i < 20 && !readEnded; ++i) {
            line.send("A", 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    });
    unsigned char record[34];
    const auto start = SteadyClock::now();
    const int received = port.read(record, 34);
    const long waited = millisecondsSince(start);
    readEnded = true;
    trickle.join();

    EXPECT_GT(received, 0);
    EXPECT_LT(received, 34);
    EXPECT_GE(waited, carlink::readTimeoutMs - 20);
    EXPECT_LT(waited, carlink::readTimeoutMs + 1500) << "the time-out restarted with a byte";
}
