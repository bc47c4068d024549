// The Port menu: the ports present, from folders of links to simulated Car
// Computers that stand in for /dev and /dev/serial/by-id, and a switch from
// one Car Computer to another while the window runs.
#include "MainWindowFixture.h"
#include "PortMenu.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include <filesystem>

namespace fs = std::filesystem;

class PortPicking : public MainWindow
{
protected:
    void SetUp() override
    {
        MainWindow::SetUp();
        sim->setAnswering(false);
        for (const char* folder : {"dev", "by-id", "lock"})
            fs::create_directories(root() / folder);
        link(sim->devicePath(), "by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
        other = plugged("dev/ttyUSB0");
        menu()->setFolders({(root() / "dev").string(), (root() / "by-id").string(), (root() / "lock").string()});
    }

    fs::path root() const { return fs::path(workFolder.path().toStdString()) / "ports"; }
    std::string path(const std::string& name) const { return (root() / name).string(); }
    void link(const std::string& target, const std::string& name) { fs::create_symlink(target, root() / name); }

    // A further simulated Car Computer, reached as `name`.
    carsim::CarSimulator* plugged(const std::string& name)
    {
        more.push_back(std::make_unique<carsim::CarSimulator>(quietCarComputer()));
        EXPECT_TRUE(more.back()->start());
        more.back()->setAnswering(false);
        link(more.back()->devicePath(), name);
        return more.back().get();
    }

    PortMenu* menu() const { return gui->findChild<PortMenu*>(); }

    // The menu as the user sees it once it opens: one entry a line, [x] for the checked one.
    std::string opened()
    {
        emit menu()->aboutToShow();  // what Qt says as the menu opens; a popup here only adds the platform's notes
        std::string text;
        for (QAction* entry : menu()->actions())
            text += entry->isSeparator() ? "--\n"
                                         : entry->text().toStdString() + (entry->isChecked() ? " [x]" : "") + "\n";
        return text;
    }
    void choose(const std::string& device)
    {
        opened();
        for (QAction* entry : menu()->actions())
            if (entry->text().startsWith(QString::fromStdString(device))) {
                entry->trigger();
                return;
            }
        ADD_FAILURE() << "no entry for " << device;
    }
    // "Other device...", answered with `device`.
    void chooseOther(const std::string& device)
    {
        QTimer::singleShot(0, [device] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog) << "no question for the device";
            dialog->setTextValue(QString::fromStdString(device));
            dialog->accept();
        });
        opened();
        menu()->actions().last()->trigger();
    }
    std::string portNote() const
    {
        for (QLabel* label : gui->statusBar()->findChildren<QLabel*>())
            if (label->text().contains("serial port") || label->text().contains("baud"))
                return label->text().toStdString();
        return std::string();
    }

    carsim::CarSimulator* other = nullptr;
    std::vector<std::unique_ptr<carsim::CarSimulator>> more;
};

TEST_F(PortPicking, TheMenuListsThePortsPresentEachTimeItOpens)
{
    ZSerial anotherProgram;
    ASSERT_EQ(anotherProgram.open(plugged("dev/ttyS0")->devicePath().c_str()), 0);
    link("/dev/null", "dev/ttyS1");  // no terminal: not listed
    const std::string ours = "FTDI FT232R USB UART (A50285BI) - " + sim->devicePath() + ": open in TralixGui [x]\n";
    EXPECT_EQ(opened(), ours + path("dev/ttyUSB0") + "\n" + path("dev/ttyS0") +
                            ": in use by another program\n--\n&Other device...\n");

    plugged("dev/ttyACM0");  // plugged in while the window runs
    anotherProgram.close();
    EXPECT_EQ(opened(), ours + path("dev/ttyUSB0") + "\n" + path("dev/ttyACM0") + "\n" + path("dev/ttyS0") +
                            "\n--\n&Other device...\n");

    fs::remove_all(root() / "dev");
    fs::remove_all(root() / "by-id");
    EXPECT_EQ(opened(), "No serial ports found\n--\n&Other device...\n");
}

TEST_F(PortPicking, ChoosingAPortMovesThePollAndTheStreamToIt)
{
    gui->liveData();
    const Bytes second = bytesOf(rawRecord({2009, 1, 1, 0, 0, 2}));
    putOnLine(concat({bytesOf(rawRecord({2009, 1, 1, 0, 0, 1})), Bytes(second.begin(), second.begin() + 20)}));
    gui->doData();  // one record, and the start of the next on its way when the port changes
    ASSERT_EQ(gui->contents().records.count(), 1);
    out();
    err();
    sim->clearReceived();

    {
        const PortSession::Claim download = gui->portSession().claim(PortSession::Use::Transfer, "Download");
        choose(path("dev/ttyUSB0"));
        EXPECT_EQ(gui->statusBar()->currentMessage(), "Switch: not now, the Car Computer is busy with a transfer");
        EXPECT_EQ(out(), "") << "refused during a transfer";
    }
    choose(path("dev/ttyUSB0"));
    EXPECT_EQ(out(), "Opening: " + path("dev/ttyUSB0") + "\n");
    EXPECT_EQ(portNote(), path("dev/ttyUSB0") + ": 4800 baud");
    EXPECT_TRUE(gui->portSession().polling());
    EXPECT_EQ(gui->contents().liveMode, 1);
    ASSERT_TRUE(other->waitForReceived(1, 2000));
    EXPECT_EQ(other->received(), Bytes{'c'}) << "the stream is asked for on the new port";

    other->sendRaw(bytesOf(rawRecord({2009, 1, 1, 0, 0, 3})));
    ASSERT_TRUE(waitForRecords(2)) << "records come from the new port";
    EXPECT_EQ(gui->contents().records[1].sec(), 3);
    EXPECT_EQ(err(), "") << "the old line's unfinished record went with it, quietly";
    button("Stop")->click();
    out();
    ASSERT_TRUE(other->waitForReceived(2, 2000));
    EXPECT_EQ(other->received().back(), 'r');
    EXPECT_TRUE(sim->received().empty()) << "the old port hears nothing more";
    EXPECT_EQ(opened(), "FTDI FT232R USB UART (A50285BI) - " + sim->devicePath() + "\n" + path("dev/ttyUSB0") +
                            ": open in TralixGui [x]\n--\n&Other device...\n");

    // A name the list does not know; one that does not open leaves no port and no poll.
    gui->portSession().setPolling(false);  // as a download leaves it
    chooseOther(sim->devicePath());
    EXPECT_EQ(out(), "Opening: " + sim->devicePath() + "\n");
    EXPECT_TRUE(gui->portSession().polling()) << "a new port is polled, as at start";
    EXPECT_EQ(portNote(), sim->devicePath() + ": 4800 baud");
    chooseOther("/nonexistent/ttyUSB9");
    EXPECT_EQ(out(), "Opening: /nonexistent/ttyUSB9\n");
    EXPECT_EQ(err(), "Error: Unable to open serial port: /nonexistent/ttyUSB9\n");
    EXPECT_FALSE(gui->portSession().polling());
    EXPECT_EQ(opened().find("[x]"), std::string::npos);
}
