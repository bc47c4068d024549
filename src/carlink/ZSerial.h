#pragma once
// The serial port that leads to the Car Computer: one POSIX file descriptor,
// synchronous byte-count reads and writes with a bounded wait, and the raw
// 8N1 line settings the link needs.

#include <string>

class ZSerial
{
public:
    ZSerial();
    ~ZSerial();
    ZSerial(const ZSerial&) = delete;
    ZSerial& operator=(const ZSerial&) = delete;

    // 0 when the device was opened (exclusively), 1 when it was not.
    int open(const char* device);
    // Always 0; closing a port that is not open does nothing.
    int close();
    // 0 for a supported rate (300 ... 115200), -1 otherwise (line left untouched);
    // also -1 on a closed port or a device that refuses the settings.
    int setBaud(int rate);
    // Bytes received (fewer than n when the read time-out expires), -1 on error.
    int read(void* buf, int n);
    // Bytes sent, -1 on error.
    int write(const void* buf, int n);
    // Bytes waiting in the driver's input queue, -1 when the query fails.
    int bytesAvailable();
    // Drains output, then throws away both queues. 0, or -1 on a closed port.
    int purge();

    bool isOpen() const { return handle >= 0; }
    // True once a call found that the device has gone away (hang-up, an
    // unplugged adapter); the port stays so until it is closed or opened again.
    bool isLost() const { return lost; }
    // Why the last open failed, in words ("not a serial port", "in use by
    // another program", or the system's text); empty after a successful open.
    std::string openFailure() const;
    // True when the last open failed because this user may not use the device
    // (carlink::permissionHelp says what to do about it).
    bool openDeniedByPermissions() const;

    // "COMn" (n >= 1) names the machine's n-th serial port, /dev/ttyS<n-1>;
    // any other name is passed to the system unchanged.
    static std::string systemDeviceName(const char* device);

private:
    int handleFailure(int error);

    int handle;
    bool lost;
    int openError;  // errno of the last failed open, 0 after a successful one
};
