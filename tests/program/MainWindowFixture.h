#pragma once
// A TralixGui main window connected to a simulated Car Computer over a real
// pseudo-terminal, in a working folder of its own, with the console captured.

#include "CarSimulator.h"
#include "Gui.h"
#include "LiveView.h"
#include "TestRecords.h"
#include "WDataDirectory.h"
#include "ZGraph.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(const RawRecord& raw)
{
    return Bytes(raw.begin(), raw.end());
}

inline Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline Bytes le32(std::int32_t v)
{
    const auto u = std::uint32_t(v);
    return {std::uint8_t(u), std::uint8_t(u >> 8), std::uint8_t(u >> 16), std::uint8_t(u >> 24)};
}

inline Bytes le16(std::uint16_t v)
{
    return {std::uint8_t(v), std::uint8_t(v >> 8)};
}

// A button of the data directory dialog.
inline QPushButton* dialogButton(WDataDirectory* dialog, const char* text)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == QLatin1String(text))
            return b;
    return nullptr;
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

class MainWindow : public ::testing::Test
{
protected:
    // A simulator that sends nothing on its own unless a test asks.
    static carsim::Options quietCarComputer()
    {
        carsim::Options options;
        options.pacing = false;
        options.liveRate = 0;
        return options;
    }

    void SetUp() override { startWith(quietCarComputer()); }

    // A fixed time zone and a working folder of the test's own.
    void enterWorkFolder()
    {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
        ASSERT_TRUE(workFolder.isValid());
        previousFolder = QDir::currentPath();
        QDir::setCurrent(workFolder.path());
    }

    void startWith(const carsim::Options& options)
    {
        enterWorkFolder();
        sim = std::make_unique<carsim::CarSimulator>(options);
        ASSERT_TRUE(sim->start()) << sim->errorText();
        openWindow(sim->devicePath());
    }

    void openWindow(const std::string& device)
    {
        captureConsole();
        gui = std::make_unique<Gui>(ZString(device.c_str()));
        gui->init("TralixGui");
        openingOut = out();
        openingErr = err();
    }

    void TearDown() override
    {
        gui.reset();
        sim.reset();
        releaseConsole();
        QDir::setCurrent(previousFolder);
    }

    // The console lines since the last call.
    std::string out()
    {
        if (!capturing)
            return std::string();
        std::fflush(stdout);
        std::string text = ::testing::internal::GetCapturedStdout();
        ::testing::internal::CaptureStdout();
        transcript += text;
        return text;
    }
    std::string err()
    {
        if (!capturing)
            return std::string();
        std::fflush(stderr);
        std::string text = ::testing::internal::GetCapturedStderr();
        ::testing::internal::CaptureStderr();
        transcript += text;
        return text;
    }

    QPushButton* button(const char* text) const
    {
        for (QPushButton* b : gui->findChildren<QPushButton*>())
            if (b->text() == QLatin1String(text))
                return b;
        ADD_FAILURE() << "no button " << text;
        return nullptr;
    }

    QAction* menuEntry(const char* text) const
    {
        for (QAction* a : gui->findChildren<QAction*>())
            if (a->text() == QLatin1String(text))
                return a;
        ADD_FAILURE() << "no menu entry " << text;
        return nullptr;
    }

    // The window's parts, found as a user finds them.
    ZGraph* graph(int channel) const { return gui->findChildren<ZGraph*>().value(channel); }
    QPlainTextEdit* logView() const { return gui->findChild<QPlainTextEdit*>(); }
    WDataDirectory* directoryDialog() const { return gui->findChild<WDataDirectory*>(); }

    // Until the window holds `count` records and shows them all.
    bool waitForRecords(int count, int timeoutMs = 5000)
    {
        return waitUntil([&] { return int(gui->contents().records.size()) >= count && liveViewUpToDate(); },
                         timeoutMs);
    }
    bool liveViewUpToDate() const { return gui->findChild<LiveView*>()->isUpToDate(); }

    // Puts bytes on the line and waits, without running the event loop (so
    // no poll takes them), until the program's driver holds them all.
    void putOnLine(const Bytes& bytes)
    {
        sim->sendRaw(bytes);
        ASSERT_TRUE(sim->waitUntilSent(5000));
        QElapsedTimer clock;
        clock.start();
        while (pendingBytes() < int(bytes.size()) && clock.elapsed() < 5000)
            QThread::msleep(2);
        ASSERT_GE(pendingBytes(), int(bytes.size()));
    }

    int pendingBytes() const { return gui->portSession().bytesWaiting(); }

    std::unique_ptr<carsim::CarSimulator> sim;
    std::unique_ptr<Gui> gui;
    QTemporaryDir workFolder;
    QString previousFolder;
    std::string openingOut;  // the console lines of building the window
    std::string openingErr;

    void captureConsole()
    {
        if (capturing)
            return;
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        capturing = true;
    }
    void releaseConsole()
    {
        if (!capturing)
            return;
        std::fflush(stdout);
        std::fflush(stderr);
        transcript += ::testing::internal::GetCapturedStdout();
        transcript += ::testing::internal::GetCapturedStderr();
        capturing = false;
        // Failure messages went into the capture too: show them with the console lines.
        if (HasFailure())
            std::fprintf(stderr, "---- console and failures of this test ----\n%s\n----\n", transcript.c_str());
    }
    bool capturing = false;
    std::string transcript;
};
