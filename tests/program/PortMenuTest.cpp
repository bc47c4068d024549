// The Port menu over folders of links to simulated Car Computers that stand in
// for /dev and /dev/serial/by-id, described in a folder that stands in for
// /sys/class/tty: what it lists, and a switch during a live run. The list's
// order and names are SerialPortList's (tests/session).
#include "FakeTtys.h"
#include "MainWindowFixture.h"
#include "OtherDeviceDialog.h"
#include "OtherProgram.h"
#include "PortMenu.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

#include <filesystem>

#include <sys/inotify.h>

namespace fs = std::filesystem;

class PortPicking : public MainWindow
{
protected:
    void SetUp() override
    {
        MainWindow::SetUp();
        sim->setAnswering(false);
        for (const char* folder : {"dev", "by-id", "lock", "sys"})
            fs::create_directories(root / folder);
        fs::create_symlink(sim->devicePath(), root / "dev/ttyUSB1");
        linktest::describeTerminal(root / "sys", "ttyUSB1", sim->devicePath());
        fs::create_symlink(sim->devicePath(), root / "by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
        other = plug("ttyUSB0");
        menu()->setFolders({at("dev"), at("by-id"), {at("lock")}, at("sys")});
    }

    // A further simulated Car Computer, reached as dev/<name>.
    carsim::CarSimulator* plug(const char* name)
    {
        more.push_back(std::make_unique<carsim::CarSimulator>(quietCarComputer()));
        EXPECT_TRUE(more.back()->start());
        more.back()->setAnswering(false);
        fs::create_symlink(more.back()->devicePath(), root / "dev" / name);
        linktest::describeTerminal(root / "sys", name, more.back()->devicePath());
        return more.back().get();
    }

    PortMenu* menu() const { return gui->findChild<PortMenu*>(); }

    // The menu as it opens (Qt's signal; a popup here would only add the
    // offscreen platform's notes): an entry a line, [x] for the open port.
    std::string opened()
    {
        emit menu()->aboutToShow();
        std::string text;
        for (QAction* entry : menu()->actions()) {
            text += entry->isSeparator() ? std::string("--") : entry->text().toStdString();
            text += entry->isChecked() ? " [x]\n" : "\n";
        }
        return text;
    }
    void choose(const std::string& device)
    {
        opened();
        for (QAction* entry : menu()->actions())
            if (entry->text() == QString::fromStdString(device))
                entry->trigger();
    }
    std::string at(const char* name) const { return (root / name).string(); }

    const fs::path root = fs::path(workFolder.path().toStdString()) / "ports";
    carsim::CarSimulator* other = nullptr;
    std::vector<std::unique_ptr<carsim::CarSimulator>> more;
};

TEST_F(PortPicking, TheMenuListsThePortsPresentAndTheOneChosenTakesThePollAndTheStream)
{
    linktest::OtherProgram anotherProgram(plug("ttyS0")->devicePath());
    ASSERT_TRUE(anotherProgram.running());
    const std::string held = at("dev/ttyS0") + ": in use by another program\n--\n&Other device...\n";
    // Opening a port to see what it is toggles its DTR and RTS lines, and many
    // boards reset on that: the system reports every open of the devices here.
    const int opens = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    for (const fs::directory_entry& device : fs::directory_iterator(root / "dev"))
        ASSERT_GE(inotify_add_watch(opens, device.path().c_str(), IN_OPEN), 0);
    EXPECT_EQ(opened(), "FTDI FT232R USB UART (A50285BI) - " + sim->devicePath() + ": open in TralixGui [x]\n" +
                            at("dev/ttyUSB0") + "\n" + held);
    char event[4096];
    EXPECT_LT(read(opens, event, sizeof event), 0) << "listing the ports opened one";
    close(opens);

    gui->liveData();
    const Bytes second = bytesOf(rawRecord({2009, 1, 1, 0, 0, 2}));
    putOnLine(concat({bytesOf(rawRecord({2009, 1, 1, 0, 0, 1})), Bytes(second.begin(), second.begin() + 20)}));
    gui->doData();  // one record, and the next one's start when the port changes
    ASSERT_EQ(int(gui->contents().records.size()), 1);
    out();
    sim->clearReceived();
    {
        const PortSession::Claim download = gui->portSession().claim(PortSession::Use::Transfer, "Download");
        choose(at("dev/ttyUSB0"));
        EXPECT_EQ(gui->statusBar()->currentMessage(), "Switch: not now, the Car Computer is busy with a transfer");
        EXPECT_EQ(out(), "") << "refused during a transfer";
    }
    choose(at("dev/ttyUSB0"));
    EXPECT_EQ(out(), "Opening: " + at("dev/ttyUSB0") + "\n");
    EXPECT_EQ(gui->contents().liveMode, 1);
    ASSERT_TRUE(other->waitForReceived(1, 2000));
    EXPECT_EQ(other->received(), Bytes{'c'}) << "the stream is asked for on the new port";

    other->sendRaw(bytesOf(rawRecord({2009, 1, 1, 0, 0, 3})));
    ASSERT_TRUE(waitForRecords(2)) << "the poll reads the new port";
    EXPECT_EQ(gui->contents().records[1].sec(), 3);
    EXPECT_EQ(err(), "") << "the old line's unfinished record went with it, quietly";
    button("Stop")->click();
    ASSERT_TRUE(other->waitForReceived(2, 2000));
    EXPECT_TRUE(sim->received().empty()) << "the old port hears nothing more";
    EXPECT_EQ(opened(), "FTDI FT232R USB UART (A50285BI) - " + sim->devicePath() + "\n" + at("dev/ttyUSB0") +
                            ": open in TralixGui [x]\n" + held)
        << "read afresh as the menu opens";
}

TEST_F(PortPicking, OtherDeviceOffersTheLastFiveNamesTypedWholeNewestFirst)
{
    QSettings(QStringLiteral("TralixGui"), QStringLiteral("TralixGui")).remove(QStringLiteral("ports"));
    // Types `name` into the dialog; what it offered then.
    auto type = [&](const QString& name) {
        QStringList offered;
        QTimer::singleShot(0, [&] {
            OtherDeviceDialog* dialog = gui->findChild<OtherDeviceDialog*>();
            QComboBox* names = dialog->findChild<QComboBox*>();
            for (int i = 0; i < names->count(); ++i)
                offered << names->itemText(i);
            const QString adapter = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
            EXPECT_GT(names->lineEdit()->width(), names->fontMetrics().horizontalAdvance(adapter)) << "shown whole";
            names->setEditText(name);
            dialog->accept();
        });
        choose("&Other device...");
        return offered.join(QLatin1Char(' ')).toStdString();
    };
    EXPECT_EQ(type(QString::fromStdString(at("by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"))), "");
    EXPECT_EQ(gui->portSession().device().cStr(), at("by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
    for (const char* name : {"/tmp/a", "/tmp/b", "/tmp/c", "/tmp/d", "/tmp/e"})
        type(QLatin1String(name));
    EXPECT_EQ(type(QStringLiteral("/tmp/b")), "/tmp/e /tmp/d /tmp/c /tmp/b /tmp/a");
    EXPECT_EQ(type(QStringLiteral("/tmp/f")), "/tmp/b /tmp/e /tmp/d /tmp/c /tmp/a") << "once each";
}
