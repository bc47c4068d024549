// The port session against a simulated Car Computer, with Qt's event loop but
// no window: one use of the port at a time, and a pulled cable put back.
#include "AsAnotherUser.h"
#include "CapturedConsole.h"
#include "CarLink.h"
#include "CarSimulator.h"
#include "PortSession.h"
#include "PseudoTerminal.h"
#include "RecordStepSupport.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Use = PortSession::Use;

class Session : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        link = folder.filePath("carcomputer").toStdString();
        carsim::Options options;
        options.pacing = false;
        options.liveRate = 0;
        options.linkPath = link;
        sim = std::make_unique<carsim::CarSimulator>(options);
        ASSERT_TRUE(sim->start()) << sim->errorText();
        sim->setAnswering(false);
        console.start();
        session = std::make_unique<PortSession>(port, ZString(link.c_str()));
        QObject::connect(session.get(), &PortSession::refused, [this](const QString& m) { told << m; });
        QObject::connect(session.get(), &PortSession::lost, [this] { ++losses; });
        QObject::connect(session.get(), &PortSession::reopened, [this] { ++reopens; });
        // Each tick uses the port as the window's poll does, so a hang-up is found.
        QObject::connect(session.get(), &PortSession::pollTick, [this] {
            ++ticks;
            if (const PortSession::Claim tick = session->claim(Use::Poll))
                tick.port().bytesAvailable();
        });
    }

    void TearDown() override
    {
        session.reset();
        console.stop(HasFailure());
    }

    // The console lines since the last call.
    std::string out() { return console.out(); }
    std::string err() { return console.err(); }

    QTemporaryDir folder;
    std::string link;
    std::unique_ptr<carsim::CarSimulator> sim;
    ZSerial port;
    std::unique_ptr<PortSession> session;
    CapturedConsole console;
    QStringList told;
    int losses = 0, reopens = 0, ticks = 0;
};

} // namespace

TEST_F(Session, OneUseAtATimeAndAClaimEndsWithItsScope)
{
    ASSERT_TRUE(session->open());
    {
        const PortSession::Claim transfer = session->claim(Use::Transfer, "Download");
        ASSERT_TRUE(transfer);
        EXPECT_EQ(session->holder(), Use::Transfer);
        EXPECT_FALSE(session->claim(Use::Poll));
        EXPECT_FALSE(session->claim(Use::Command, "Reset"));
        EXPECT_FALSE(session->claim(Use::Transfer));
        EXPECT_EQ(session->bytesWaiting(), -1) << "not while a transfer reads";
        EXPECT_FALSE(session->transferStopped());
        EXPECT_TRUE(session->stopTransfer());
        EXPECT_TRUE(session->transferStopped());
    }
    EXPECT_FALSE(session->transferStopped()) << "a stop ends with its transfer";
    {
        const PortSession::Claim command = session->claim(Use::Command);
        EXPECT_FALSE(session->stopTransfer()) << "only a transfer can be stopped";
        EXPECT_FALSE(session->transferStopped());
    }
    EXPECT_EQ(told, QStringList{"Reset: not now, the Car Computer is busy with a transfer"})
        << "only a named command is told; a poll tick and the dialog's reads are not";
    EXPECT_EQ(session->holder(), Use::None);

    auto command = [&](bool leaveEarly) {
        const PortSession::Claim reset = session->claim(Use::Command, "Reset");
        if (leaveEarly)
            return;
        carlink::sendReset(reset.port());
    };
    command(true);
    command(false);
    EXPECT_EQ(session->holder(), Use::None);
    ASSERT_TRUE(sim->waitForReceived(1, 2000));
    EXPECT_EQ(sim->received(), Bytes{'R'});
    EXPECT_EQ(session->bytesWaiting(), 0);
}

TEST_F(Session, OpeningStartsThePollAndAPortThatDoesNotOpenIsToldOnce)
{
    EXPECT_FALSE(session->polling()) << "nothing before open";
    ASSERT_TRUE(session->open());
    EXPECT_EQ(out(), "Opening: " + link + "\n");
    EXPECT_EQ(err(), "");
    EXPECT_TRUE(session->polling());
    EXPECT_EQ(session->stateText("cc"), "cc: 4800 baud");
    EXPECT_TRUE(waitUntil([&] { return ticks >= 2; }, 2000));

    ZSerial other;
    PortSession missing(other, ZString("/nonexistent/ttyUSB9"));
    EXPECT_FALSE(missing.open());
    EXPECT_EQ(out(), "Opening: /nonexistent/ttyUSB9\n");
    EXPECT_EQ(err(), "Error: Unable to open serial port: /nonexistent/ttyUSB9\n");
    missing.setPolling(true);
    EXPECT_FALSE(missing.polling()) << "no poll on a port that never opened";
    EXPECT_FALSE(missing.isLost()) << "and no retries";
    EXPECT_EQ(missing.stateText("x"), "Unable to open serial port: x (No such file or directory)");
}

TEST_F(Session, ALostPortIsToldOnceTriedAgainAndThePollAndStreamCarryOn)
{
    ASSERT_TRUE(session->open());
    session->setStreaming(true);
    out();
    carsim::Faults faults;
    faults.reopenAfterMs = 100;
    sim->setFaults(faults);
    sim->unplug();

    ASSERT_TRUE(waitUntil([&] { return session->isLost(); }, 2000)) << "the poll tick's release finds the hang-up";
    EXPECT_EQ(losses, 1);
    EXPECT_EQ(err(), "Error: Lost the serial port: " + link + "\n");
    EXPECT_FALSE(session->polling());
    EXPECT_EQ(session->stateText("cc"), "Lost serial port cc: trying to open it again every second");
    session->setPolling(false);
    session->setPolling(true);
    EXPECT_FALSE(session->polling()) << "a poll wanted meanwhile waits for the port";

    {
        // While the port is claimed it is not reopened, though the line is long back.
        const PortSession::Claim busy = session->claim(Use::Transfer);
        waitUntil([] { return false; }, 1500);
        EXPECT_TRUE(session->isLost());
    }
    ASSERT_TRUE(waitUntil([&] { return !session->isLost(); }, 3000)) << "the port did not come back";
    EXPECT_EQ(reopens, 1);
    EXPECT_EQ(out(), "Opening: " + link + "\n");
    EXPECT_EQ(err(), "") << "the retries are quiet";
    EXPECT_TRUE(session->polling());
    EXPECT_EQ(session->stateText("cc"), "cc: 4800 baud");
    ASSERT_TRUE(sim->waitForReceived(1, 2000));
    EXPECT_EQ(sim->received(), Bytes{'c'}) << "the stream is asked for again";
}

TEST_F(Session, SwitchingToAnotherDeviceOpensItAsAtStartButNotDuringATransfer)
{
    carsim::CarSimulator second;
    ASSERT_TRUE(second.start());
    second.setAnswering(false);
    ASSERT_TRUE(session->open());
    session->setPolling(false);
    out();
    {
        const PortSession::Claim transfer = session->claim(Use::Transfer, "Download");
        EXPECT_FALSE(session->switchTo(ZString(second.devicePath().c_str())));
    }
    EXPECT_EQ(told, QStringList{"Switch: not now, the Car Computer is busy with a transfer"});
    EXPECT_EQ(out(), "");
    sim->unplug();  // for good
    {
        const PortSession::Claim reset = session->claim(Use::Command);
        EXPECT_EQ(reset.port().write("R", 1), -1) << "a hung-up line refuses the write (EIO)";
    }
    EXPECT_TRUE(session->isLost()) << "the failed write's release finds the loss, before any poll";
    session->setPolling(true);
    ASSERT_TRUE(waitUntil([&] { return session->isLost(); }, 2000));
    session->setPolling(false);
    err();

    ASSERT_TRUE(session->switchTo(ZString(second.devicePath().c_str())));
    EXPECT_FALSE(session->isLost()) << "the old device is no longer tried";
    EXPECT_EQ(losses, 1) << "a switch is no loss";
    EXPECT_EQ(out(), "Opening: " + second.devicePath() + "\n");
    EXPECT_STREQ(session->device().cStr(), second.devicePath().c_str());
    EXPECT_TRUE(session->polling()) << "polled as at start, though the poll was off before";
    {
        const PortSession::Claim reset = session->claim(Use::Command);
        carlink::sendReset(reset.port());
    }
    ASSERT_TRUE(second.waitForReceived(1, 2000));
    EXPECT_EQ(second.received(), Bytes{'R'});
    EXPECT_TRUE(sim->received().empty());
}

// An ordinary user who picks a device that is not theirs is told what to do,
// on the console and in the state the status bar shows.
TEST(SessionAsAnotherUser, SwitchingToADeviceThisUserMayNotOpenSaysWhatToDo)
{
    if (!linktest::canActAsAnotherUser())
        GTEST_SKIP() << "needs root to run a part as another user";
    linktest::PseudoTerminal line;
    ASSERT_TRUE(line.ready());
    ASSERT_EQ(chmod(line.device().c_str(), 0600), 0);
    const std::string help = std::string("Permission denied: add your user to the group dialout (sudo adduser ") +
                             getpwuid(linktest::nobody)->pw_name + " dialout), then log out and in again";
    const std::string seen = linktest::asAnotherUser([&] {
        ::testing::internal::CaptureStderr();
        ZSerial port;
        PortSession session(port, ZString("/nonexistent/ttyUSB9"));
        const bool opened = session.switchTo(ZString(line.device().c_str()));
        return ::testing::internal::GetCapturedStderr() + (opened ? "opened; " : "not opened; ") +
               session.stateText("tty").toStdString();
    });
    EXPECT_EQ(seen, "Error: Unable to open serial port: " + line.device() + "\n" + help + "\nnot opened; tty: " + help);
}
