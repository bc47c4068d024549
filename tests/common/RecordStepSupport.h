#pragma once
// What the tests of the record step share, with a window or without: bytes as
// they go over the line, a quiet simulated Car Computer, the event loop run
// until something holds, and the program's console captured.

#include "CapturedConsole.h"
#include "CarSimulator.h"
#include "PortSession.h"
#include "TestRecords.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(const RawRecord& raw) { return Bytes(raw.begin(), raw.end()); }

// A record off the wire, logged at `second` past 2008-12-31 23:59.
inline Bytes recordAt(int second, const Reading& reading = Reading())
{
    return bytesOf(rawRecord({2008, 12, 31, 23, 59, second}, reading));
}

inline Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline Bytes le16(std::uint16_t v) { return {std::uint8_t(v), std::uint8_t(v >> 8)}; }
inline Bytes le32(std::int32_t v) { return concat({le16(std::uint16_t(v)), le16(std::uint16_t(v >> 16))}); }

// What the program sends for a download of `num` records from `start`: one
// 'n' per record and the one after the last, which brings nothing.
inline Bytes dataTransfer(std::int32_t start, std::uint16_t num)
{
    return concat({{'d'}, le32(start), le16(num), Bytes(num + 1u, 'n')});
}

inline Bytes infoReply(std::uint16_t dirNumber, std::uint16_t dirPos, std::int32_t dataPos)
{
    return concat({le16(dirNumber), le16(dirPos), le32(dataPos)});
}

// Whether a kept record is the one stored: its calendar bytes, decoded.
inline bool sameStamp(const Data& kept, const carsim::DataBytes& stored)
{
    const carsim::Stamp s = carsim::recordStamp(stored);
    return kept.sec() == s.second && kept.min() == s.minute && kept.hour() == s.hour && kept.day() == s.day &&
           1900 + kept.year() == s.year;
}

// A simulator that sends nothing on its own unless a test asks.
inline carsim::Options quietCarComputer()
{
    carsim::Options options;
    options.pacing = false;
    options.liveRate = 0;
    return options;
}

// Runs the event loop until `done` holds or `timeoutMs` has passed.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Puts bytes on the line and waits, without running the event loop (so no
// poll takes them), until the port's driver holds them all.
inline void putOnLine(carsim::CarSimulator& sim, PortSession& session, const Bytes& bytes)
{
    sim.sendRaw(bytes);
    ASSERT_TRUE(sim.waitUntilSent(5000));
    QElapsedTimer clock;
    clock.start();
    while (session.bytesWaiting() < int(bytes.size()) && clock.elapsed() < 5000)
        QThread::msleep(2);
    ASSERT_GE(session.bytesWaiting(), int(bytes.size()));
}
