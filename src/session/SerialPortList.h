#pragma once
// The serial ports present on this machine, for the user to pick one: the
// adapters under /dev/serial/by-id first, with readable names, then the ttyUSB,
// ttyACM and ttyS devices the kernel lists in /sys/class/tty. Each says whether
// another program holds it and whether this user may open it. No port is
// opened to tell: many boards reset when a port opens. No widgets: the window
// turns the list into a menu.

#include <string>
#include <vector>

struct SerialPortEntry
{
    std::string device;  // the name to open: the by-id link, or the device itself
    std::string node;    // the device it leads to, with every link resolved
    std::string name;    // "FTDI FT232R USB UART (A50285BI)", or "ttyUSB0"
    bool inUse = false;             // another program holds it
    bool permissionDenied = false;  // this user may not open it (see carlink::permissionHelp)
    bool ours = false;              // the port this program has open

    // One line for a menu: "FTDI FT232R USB UART (A50285BI) - /dev/ttyUSB0", or "/dev/ttyS0",
    // then ": in use by another program", ": permission denied" or ": open in TralixGui".
    std::string description() const;
};

class SerialPortList
{
public:
    // Where to look; tests put folders of links to pseudo-terminals, and the
    // kernel's description of them, in their place.
    struct Folders
    {
        std::string devices = "/dev";
        std::string byId = "/dev/serial/by-id";
        std::vector<std::string> locks = {"/var/lock", "/run/lock"};  // UUCP lock files, LCK..<device>
        std::string ttys = "/sys/class/tty";  // <name>/dev: "major:minor"; ttyS: <name>/type, 0 without a UART
        std::string processes = "/proc";       // the files each process holds open
    };

    SerialPortList();  // the system's folders
    explicit SerialPortList(Folders folders);

    // The port this program has open, by any of its names (COMn, a link, the
    // device): it is listed as ours and is never reported as held by another
    // program, though its lock says otherwise. Empty: none.
    void setOwnDevice(const std::string& device);

    // Looks afresh each time, so a freshly plugged adapter appears. A port is
    // listed when the kernel describes it and its device node has the number
    // the kernel gives.
    std::vector<SerialPortEntry> scan() const;

    // "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" -> "FTDI FT232R USB UART (A50285BI)";
    // an interface other than the first is added: ", interface 2".
    static std::string readableName(const std::string& byIdName);

private:
    Folders folders;
    std::string ownDevice;
};
