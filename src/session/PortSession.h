#pragma once
// Who may use the serial port, and what happens when its device goes away.
//
// One user at a time: a poll tick, a transfer or a single command claims the
// port for as long as it runs, and whoever comes meanwhile is turned away. The
// release of a claim is where a lost device is noticed, whatever use found it.
// A lost port is closed and tried again every second under the same name; once
// it opens, the poll and the live stream carry on as they were.

#include "ZSerial.h"
#include "ZString.h"

#include <QObject>
#include <QString>
#include <QTimer>

class PortSession : public QObject
{
    Q_OBJECT

public:
    enum class Use { None, Poll, Transfer, Command };

    // The port for one use, given back when the claim goes out of scope. A
    // refused claim tests false and gives no port.
    class Claim
    {
    public:
        ~Claim();
        Claim(const Claim&) = delete;
        Claim& operator=(const Claim&) = delete;
        explicit operator bool() const { return session != nullptr; }
        ZSerial& port() const { return session->port; }

    private:
        friend class PortSession;
        explicit Claim(PortSession* owner) : session(owner) {}
        PortSession* session;
    };

    PortSession(ZSerial& port, const ZString& device);

    // Prints "Opening: <device>", opens the port at 4800 baud and starts the
    // poll. A device that does not open is reported on standard error, with what
    // to do when this user may not use it; the port stays closed and is not
    // tried again.
    bool open();
    // Closes the port (a lost one is no longer tried) and opens `device` in its
    // place as at start: polled, and streaming if the stream was asked for.
    // Refused, like a command, while the port is in use.
    bool switchTo(const ZString& device);

    // The port for `use`, or a refused claim while another use holds it. A
    // refused command or transfer is told with refused(); a poll tick is not.
    Claim claim(Use use, const char* command = nullptr);
    // Tells with refused() that `command` finds no open port, which it runs
    // on regardless; nothing while the port is open.
    void noteIfClosed(const char* command);
    Use holder() const { return held; }
    // Asks the transfer that holds the port to end after the record on its
    // way; false when no transfer holds it. The transfer sees it in
    // transferStopped() until its claim ends.
    bool stopTransfer();
    bool transferStopped() const { return stopAsked; }

    // The 100 ms poll that emits pollTick(). It runs only on an open port; one
    // wanted while the port is lost starts when it is back.
    void setPolling(bool on);
    bool polling() const { return pollTimer.isActive(); }
    // Whether the Car Computer was asked to stream: a reopened port asks again.
    void setStreaming(bool on) { streamAsked = on; }
    bool isLost() const { return reopenTimer.isActive(); }
    bool isOpen() const { return port.isOpen(); }
    // Bytes waiting in the driver; -1 on a closed or lost port, or while the
    // port is in use.
    int bytesWaiting();
    const ZString& device() const { return name; }
    // The status bar's note on the port, naming the device as `shownName`.
    QString stateText(const QString& shownName) const;

signals:
    void pollTick();
    void lost();
    // The line to the device has ended, lost or left for another device: what
    // was received from it is complete.
    void lineClosed();
    void reopened();
    void stateChanged();
    void refused(const QString& message);

private:
    void release();
    void reopen();

    ZSerial& port;
    ZString name;
    QTimer pollTimer;
    QTimer reopenTimer;
    Use held;
    bool stopAsked;
    bool pollWanted;
    bool streamAsked;
};
