#pragma once
// A TralixGui main window connected to a simulated Car Computer over a real
// pseudo-terminal, in a working folder of its own, with the console captured.

#include "Gui.h"
#include "LiveView.h"
#include "RecordStepSupport.h"
#include "WDataDirectory.h"
#include "ZGraph.h"

#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

// A button of the data directory dialog.
inline QPushButton* dialogButton(WDataDirectory* dialog, const char* text)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == QLatin1String(text))
            return b;
    return nullptr;
}

class MainWindow : public ::testing::Test
{
protected:
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
        console.start();
        gui = std::make_unique<Gui>(ZString(device.c_str()));
        gui->init("TralixGui");
        openingOut = out();
        openingErr = err();
    }

    void TearDown() override
    {
        gui.reset();
        sim.reset();
        console.stop(HasFailure());
        QDir::setCurrent(previousFolder);
    }

    // The console lines since the last call.
    std::string out() { return console.out(); }
    std::string err() { return console.err(); }

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

    void putOnLine(const Bytes& bytes) { ::putOnLine(*sim, gui->portSession(), bytes); }

    std::unique_ptr<carsim::CarSimulator> sim;
    std::unique_ptr<Gui> gui;
    QTemporaryDir workFolder;
    QString previousFolder;
    std::string openingOut;  // the console lines of building the window
    std::string openingErr;
    CapturedConsole console;
};
