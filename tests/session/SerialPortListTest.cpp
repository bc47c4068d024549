// The list of serial ports the user picks from, read from folders of links to
// pseudo-terminals that stand in for /dev and /dev/serial/by-id, and of their
// description that stands in for /sys/class/tty.

#include "AsAnotherUser.h"
#include "FakeTtys.h"
#include "OtherProgram.h"
#include "PseudoTerminal.h"
#include "SerialPortList.h"
#include "ZSerial.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <grp.h>
#include <sys/stat.h>

using namespace linktest;
namespace fs = std::filesystem;

namespace {

class SerialPorts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char name[] = "/tmp/serial-ports-XXXXXX";
        ASSERT_TRUE(mkdtemp(name));
        root = name;
        for (const char* folder : {"dev", "by-id", "lock", "run-lock", "sys"})
            fs::create_directory(root / folder);
        fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        std::ofstream(root / "notes.txt") << "not a terminal\n";
    }
    void TearDown() override { fs::remove_all(root); }

    SerialPortList::Folders folders() const
    {
        return {path("dev"), path("by-id"), {path("lock"), path("run-lock")}, path("sys")};
    }
    // A new pseudo-terminal, reached as dev/<name> (and by-id/<link> when given), as the kernel describes it.
    const PseudoTerminal& terminal(const std::string& name, const std::string& byId = std::string(),
                                   const char* uartType = nullptr)
    {
        lines.push_back(std::make_unique<PseudoTerminal>());
        link(lines.back()->device(), "dev/" + name);
        describeTerminal(root / "sys", name, lines.back()->device(), uartType);
        if (!byId.empty())
            link("../dev/" + name, "by-id/" + byId);
        return *lines.back();
    }
    void link(const std::string& target, const std::string& name) { fs::create_symlink(target, root / name); }
    std::string path(const std::string& name) const { return (root / name).string(); }
    void lock(const std::string& device, long pid, const char* folder = "lock")
    {
        std::ofstream(root / folder / ("LCK.." + device)) << pid << "\n";
    }

    fs::path root;
    std::vector<std::unique_ptr<PseudoTerminal>> lines;
};

// Each entry as "name flags", in the list's order.
std::string shown(const std::vector<SerialPortEntry>& ports)
{
    std::string text;
    for (const SerialPortEntry& p : ports)
        text += p.name + (p.ours ? " ours" : "") + (p.inUse ? " used" : "") +
                (p.permissionDenied ? " denied" : "") + "; ";
    return text;
}

} // namespace

TEST_F(SerialPorts, AdaptersByIdComeFirstThenTerminalsInNumberOrder)
{
    const PseudoTerminal& adapter = terminal("ttyUSB0", "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    terminal("ttyUSB10");
    terminal("ttyUSB2");
    terminal("ttyACM0");
    terminal("ttyS3");
    terminal("ttyUSBx");
    terminal("console");
    link("/nonexistent/ttyUSB7", "by-id/usb-Gone_Adapter_0001-if00");  // unplugged
    link(path("notes.txt"), "by-id/usb-Not_A_Terminal_0002-if00");
    terminal("ttyS0", "", "0");                  // no UART behind it
    describeTerminal(root / "sys", "ttyS1", "/dev/null");
    link(path("notes.txt"), "dev/ttyS1");      // not the device the kernel describes
    terminal("ttyS2", "", "4");                  // a 16550A
    describeTerminal(root / "sys", "ttyS4", lines[0]->device());  // its node not made yet

    const std::vector<SerialPortEntry> ports = SerialPortList(folders()).scan();
    EXPECT_EQ(shown(ports), "FTDI FT232R USB UART (A50285BI); ttyUSB2; ttyUSB10; ttyACM0; ttyS2; ttyS3; ");
    ASSERT_FALSE(ports.empty());
    EXPECT_EQ(ports[0].device, path("by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
    EXPECT_EQ(ports[0].node, adapter.device());
    EXPECT_EQ(ports[0].description(), "FTDI FT232R USB UART (A50285BI) - " + adapter.device());
    EXPECT_EQ(ports[1].device, path("dev/ttyUSB2"));
    EXPECT_EQ(ports[1].description(), path("dev/ttyUSB2"));
}

TEST_F(SerialPorts, SaysWhichPortsAnotherProgramHolds)
{
    const PseudoTerminal& held = terminal("ttyUSB0");
    terminal("ttyUSB1");
    const PseudoTerminal& flocked = terminal("ttyUSB2");
    const PseudoTerminal& exclusive = terminal("ttyUSB3");
    terminal("ttyACM0");
    terminal("ttyACM1");
    // Programs that hold a port open, as /proc shows; the list looks at no flock or exclusive flag.
    auto otherProgram = std::make_unique<OtherProgram>(held.device());
    auto flockHolder = std::make_unique<OtherProgram>(flocked.device());
    auto exclusiveHolder = std::make_unique<OtherProgram>(exclusive.device());
    lock("ttyACM0", long(getppid()));  // a program that runs
    lock("ttyACM1", 2147483647L);      // one that has ended long ago

    SerialPortList list(folders());
    const std::vector<SerialPortEntry> ports = list.scan();
    EXPECT_EQ(shown(ports), "ttyUSB0 used; ttyUSB1; ttyUSB2 used; ttyUSB3 used; ttyACM0 used; ttyACM1; ");
    ASSERT_EQ(ports.size(), 6u);
    EXPECT_EQ(ports[0].description(), path("dev/ttyUSB0") + ": in use by another program");

    // The port the program holds itself, by any of its names, is its own.
    for (const std::string& own : {path("dev/ttyUSB0"), held.device()}) {
        list.setOwnDevice(own);
        EXPECT_EQ(shown(list.scan()), "ttyUSB0 ours; ttyUSB1; ttyUSB2 used; ttyUSB3 used; ttyACM0 used; ttyACM1; ")
            << own;
    }
    list.setOwnDevice(std::string());
    otherProgram.reset();
    exclusiveHolder.reset();
    flockHolder.reset();
    EXPECT_EQ(shown(list.scan()), "ttyUSB0; ttyUSB1; ttyUSB2; ttyUSB3; ttyACM0 used; ttyACM1; ");
}

TEST_F(SerialPorts, AnOrdinaryUserSeesPortsItMayNotOpenAndPortsOtherUsersLock)
{
    if (!canActAsAnotherUser())
        GTEST_SKIP() << "needs root to run a part as another user";
    const PseudoTerminal& forbidden = terminal("ttyUSB0");
    const PseudoTerminal& held = terminal("ttyUSB1");
    const PseudoTerminal& free = terminal("ttyUSB2");
    ASSERT_EQ(chmod(forbidden.device().c_str(), 0600), 0);
    ASSERT_EQ(chmod(held.device().c_str(), 0666), 0);
    ASSERT_EQ(chmod(free.device().c_str(), 0666), 0);
    OtherProgram otherProgram(held.device());  // root's: its files are hidden from the user, its lock is not
    lock("ttyUSB1", otherProgram.pid(), "run-lock");

    EXPECT_EQ(asAnotherUser([&] {
                  const std::vector<SerialPortEntry> ports = SerialPortList(folders()).scan();
                  return shown(ports) + ports.at(0).description();
              }),
              "ttyUSB0 denied; ttyUSB1 used; ttyUSB2; " + path("dev/ttyUSB0") + ": permission denied");
}

// Each state as an ordinary user (nobody, a member of dialout) sees it, with
// programs of its own; root's are another user's.
TEST_F(SerialPorts, TheStateOfEachPortIsToldWithoutOpeningIt)
{
    const struct group* dialout = getgrnam("dialout");
    if (!canActAsAnotherUser() || !dialout)
        GTEST_SKIP() << "needs root to run a part as another user, and the group dialout";
    enum Hold { None, Lock, Open, StaleLock, RootsLock };
    struct Row { const char* why; uid_t owner; gid_t group; mode_t mode; Hold hold; const char* seen; };
    const Row rows[] = {
        {"free", 0, 0, 0666, None, ""},
        {"its lock's process runs", 0, 0, 0666, Lock, " used"},
        {"open in another program", 0, 0, 0666, Open, " used"},
        {"its lock's process has ended", 0, 0, 0666, StaleLock, ""},
        {"another user's live process locks it", 0, 0, 0666, RootsLock, " used"},
        {"no access for others", 0, 0, 0600, None, " denied"},
        {"others may read, not write", 0, 0, 0644, None, " denied"},
        {"the group may read, not write", 0, dialout->gr_gid, 0640, None, " denied"},
        {"the group may read and write", 0, dialout->gr_gid, 0660, None, ""},
        {"the owner may read, not write, though others may", nobody, 0, 0466, None, " denied"},
    };
    std::vector<std::string> devices;
    for (const Row& row : rows) {
        devices.push_back(terminal("ttyUSB" + std::to_string(devices.size())).device());
        ASSERT_EQ(chown(devices.back().c_str(), row.owner, row.group), 0);
        ASSERT_EQ(chmod(devices.back().c_str(), row.mode), 0);
    }
    fs::permissions(root / "lock", fs::perms::all);
    std::istringstream seen(asAnotherUser([&] {
        std::vector<std::unique_ptr<OtherProgram>> programs;
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            if (rows[i].hold == Lock || rows[i].hold == Open)
                programs.push_back(std::make_unique<OtherProgram>(rows[i].hold == Open ? devices[i] : "/dev/null"));
            const Hold hold = rows[i].hold;
            if (hold == Lock || hold == StaleLock || hold == RootsLock)
                lock("ttyUSB" + std::to_string(i),
                     hold == StaleLock ? 2147483647L : hold == RootsLock ? getppid() : programs.back()->pid());
        }
        return shown(SerialPortList(folders()).scan());
    }, {dialout->gr_gid}));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::string entry;
        std::getline(seen >> std::ws, entry, ';');
        EXPECT_EQ(entry, "ttyUSB" + std::to_string(i) + rows[i].seen) << rows[i].why;
    }
}

TEST(SerialPortNames, ByIdLinksBecomeReadableNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "FTDI FT232R USB UART (A50285BI)"},
        {"usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0",
         "Silicon Labs CP2102 USB to UART Bridge Controller (0001)"},
        {"usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0",
         "Prolific Technology Inc. USB-Serial Controller"},
        {"usb-1a86_USB2.0-Serial-if00-port0", "1a86 USB2.0-Serial"},
        {"usb-Arduino__www.arduino.cc__0043_75833353035351A0E1F1-if00",
         "Arduino www.arduino.cc 0043 (75833353035351A0E1F1)"},
        {"usb-FTDI_Quad_RS232-HS_FT4XYZ12-if02-port0", "FTDI Quad RS232-HS (FT4XYZ12), interface 2"},
        {"pci-Intel_Serial_IO-if00", "Intel Serial IO"},
        {"usb-", "usb-"},
        {"adapter", "adapter"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SerialPortList::readableName(c.first), c.second) << c.first;
}
