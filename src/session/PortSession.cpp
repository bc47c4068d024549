#include "PortSession.h"

#include "CarLink.h"
#include "LinkConstants.h"
#include "PortPermission.h"

#include <cstdio>

PortSession::PortSession(ZSerial& serial, const ZString& device)
    : port(serial), name(device), held(Use::None), stopAsked(false), pollWanted(true), streamAsked(false)
{
    pollTimer.setInterval(carlink::pollIntervalMs);
    connect(&pollTimer, &QTimer::timeout, this, &PortSession::pollTick);
    reopenTimer.setInterval(carlink::reopenIntervalMs);
    connect(&reopenTimer, &QTimer::timeout, this, &PortSession::reopen);
}

PortSession::Claim::~Claim()
{
    if (session)
        session->release();
}

bool PortSession::open()
{
    std::printf("Opening: %s\n", name.cStr());
    if (port.open(name.cStr()) != 0) {
        std::fprintf(stderr, "Error: Unable to open serial port: %s\n", name.cStr());
        if (port.openDeniedByPermissions())
            std::fprintf(stderr, "%s\n", carlink::permissionHelp(name.cStr()).c_str());
        emit stateChanged();
        return false;
    }
    port.setBaud(carlink::lineBaud);
    setPolling(pollWanted);
    emit stateChanged();
    return true;
}

bool PortSession::switchTo(const ZString& device)
{
    {
        const Claim closing = claim(Use::Command, "Switch");
        if (!closing)
            return false;
        reopenTimer.stop();
        pollTimer.stop();
        port.close();
    }
    emit lineClosed();
    name = device;
    pollWanted = true;
    if (!open())
        return false;
    if (streamAsked) {
        const Claim asking = claim(Use::Command);
        carlink::sendLiveStart(port);
    }
    return true;
}

PortSession::Claim PortSession::claim(Use use, const char* command)
{
    if (held == Use::None) {
        held = use;
        return Claim(this);
    }
    if (command)
        emit refused(QString::fromLatin1("%1: not now, the Car Computer is busy with a transfer")
                         .arg(QString::fromLatin1(command)));
    return Claim(nullptr);
}

void PortSession::noteIfClosed(const char* command)
{
    if (port.isOpen())
        return;
    emit refused(QString::fromLatin1(isLost() ? "%1: the serial port is lost; TralixGui waits for it to come back"
                                              : "%1: no serial port is open; choose one in the Port menu")
                     .arg(QString::fromLatin1(command)));
}

bool PortSession::stopTransfer()
{
    stopAsked = held == Use::Transfer;
    return stopAsked;
}

int PortSession::bytesWaiting()
{
    const Claim asking = claim(Use::Command);
    return asking ? port.bytesAvailable() : -1;
}

void PortSession::setPolling(bool on)
{
    pollWanted = on;
    if (on && port.isOpen())
        pollTimer.start();
    else
        pollTimer.stop();
}

void PortSession::release()
{
    held = Use::None;
    stopAsked = false;
    if (!port.isLost())
        return;
    // Said once; the retries are quiet. What was received stays with its owner.
    std::fprintf(stderr, "Error: Lost the serial port: %s\n", name.cStr());
    pollTimer.stop();
    port.close();
    reopenTimer.start();
    emit lost();
    emit lineClosed();
    emit stateChanged();
}

void PortSession::reopen()
{
    if (held != Use::None || port.open(name.cStr()) != 0)
        return;  // tried again at the next tick
    reopenTimer.stop();
    std::printf("Opening: %s\n", name.cStr());
    port.setBaud(carlink::lineBaud);
    setPolling(pollWanted);
    // A Car Computer that lost its power with the adapter has forgotten that
    // it was streaming; one that kept it takes the repeated 'c' in its stride.
    if (streamAsked) {
        const Claim asking = claim(Use::Command);
        carlink::sendLiveStart(port);
    }
    if (isLost())
        return;  // gone again at once: the claim's release said so
    emit reopened();
    emit stateChanged();
}

QString PortSession::stateText(const QString& shownName) const
{
    if (isLost())
        return QString::fromLatin1("Lost serial port %1: trying to open it again every second").arg(shownName);
    if (port.isOpen())
        return QString::fromLatin1("%1: %2 baud").arg(shownName).arg(carlink::lineBaud);
    if (port.openDeniedByPermissions())
        return QString::fromLatin1("%1: %2").arg(shownName,
                                                 QString::fromStdString(carlink::permissionHelp(name.cStr())));
    return QString::fromLatin1("Unable to open serial port: %1 (%2)")
        .arg(shownName, QString::fromStdString(port.openFailure()));
}
