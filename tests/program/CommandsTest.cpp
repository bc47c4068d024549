// The window itself and the commands that are not live data or downloads.
#include "MainWindowFixture.h"
#include "GermanNumbers.h"
#include "ZGraph.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file that is not a regular one (a link into /dev/full, say) is not followed:
// reading it could go on for ever.
QByteArray fileText(const QString& path)
{
    struct stat status;
    if (lstat(path.toLocal8Bit().constData(), &status) != 0)
        return "<missing>";
    if (!S_ISREG(status.st_mode))
        return "<not a regular file>";
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

TEST_F(MainWindow, WindowHasItsMenusGraphsLogAndButtons)
{
    EXPECT_EQ(gui->windowTitle(), "TralixGui");
    EXPECT_EQ(gui->minimumSize(), QSize(1010, 700));
    EXPECT_TRUE(gui->findChildren<QToolBar*>().isEmpty());

    QStringList titles;
    for (QAction* menu : gui->menuBar()->actions())
        titles << (menu->isSeparator() ? QString("|") : menu->text());
    EXPECT_EQ(titles, (QStringList{"&File", "&View", "&Commands", "&Port", "|", "&Help"}));

    struct Entry { const char* text; const char* shortcut; const char* tip; };
    const Entry entries[] = {
        {"&Quit", "Ctrl+Q", "Quits the application"},
        {"&Reset", "Ctrl+R", "Resets the Car Computer"},
        {"&ResetFull", "", "Resets the Car Computer to Factory Defaults"},
        {"&Manual", "Ctrl+M", "Online Manual"},
        {"&About", "Ctrl+A", "About the program"},
        {"&Open...", "Ctrl+O", "Opens records saved in the layout of cardata.csv"},
        {"Save &As...", "Ctrl+Shift+S", "Saves the records to a file of your choice"},
        {"Save Ran&ge As...", "", "Saves the records of the summary's range (whole, shown, between the cursors)"},
        {"&Export Picture...", "Ctrl+E", "Saves the ten graphs as a PNG picture"},
        {"&Pause", "P", "Freezes the graphs while records keep arriving"},
        {"Show &All", "Home", "Shows every record held"},
        {"S&ummary", "Ctrl+U", "Shows distance, energy and the extremes of the drive beside the graphs"},
        {"&X-Y Plot", "Ctrl+Shift+X", "Plots any channel or Power against another, coloured by a third"},
    };
    for (const Entry& e : entries) {
        QAction* action = menuEntry(e.text);
        ASSERT_TRUE(action);
        EXPECT_EQ(action->shortcut().toString(), e.shortcut) << e.text;
        EXPECT_EQ(action->statusTip(), e.tip) << e.text;
    }
    // Quit stays last in File, and no two entries share a shortcut.
    QStringList file, shortcuts;
    for (QAction* entry : gui->menuBar()->actions().first()->menu()->actions())
        file << entry->text();
    EXPECT_EQ(file, (QStringList{"&Open...", "Recent &Runs", "Save &As...", "Save Ran&ge As...", "&Export Picture...",
                                 "Export S&ummary...", "&Quit"}));
    for (QAction* action : gui->findChildren<QAction*>())
        if (!action->shortcut().isEmpty())
            shortcuts << action->shortcut().toString();
    EXPECT_EQ(shortcuts.size(), QSet<QString>(shortcuts.begin(), shortcuts.end()).size())
        << shortcuts.join(' ').toStdString();

    for (int c = 0; c < channelCount; ++c)
        EXPECT_STREQ(graph(c)->yAxisTexts().title.cStr(), channels[c].name);
    EXPECT_TRUE(logView()->isReadOnly());
    EXPECT_EQ(logView()->height(), 60);
    EXPECT_TRUE(button("LiveData")->isEnabled());
    EXPECT_TRUE(button("FetchData")->isEnabled());
    EXPECT_FALSE(button("Stop")->isEnabled());
    EXPECT_TRUE(button("Save")->isEnabled());
    EXPECT_TRUE(button("SetTime")->isEnabled());
    EXPECT_TRUE(gui->portSession().polling());
    EXPECT_EQ(openingOut, "Opening: " + sim->devicePath() + "\n");
    EXPECT_EQ(openingErr, "");

    // The answers about a drive open from the window's own menu.
    menuEntry("S&ummary")->trigger();
    menuEntry("&X-Y Plot")->trigger();
    for (const char* shown : {"summary", "xyPlot"})
        EXPECT_TRUE(gui->findChild<QWidget*>(shown) && !gui->findChild<QWidget*>(shown)->isHidden()) << shown;
}

TEST_F(MainWindow, ResetAndResetFullSendOneByteEach)
{
    out();
    menuEntry("&Reset")->trigger();
    ASSERT_TRUE(sim->waitForReceived(1, 2000));
    EXPECT_EQ(sim->received(), Bytes{'R'});
    sim->clearReceived();
    menuEntry("&ResetFull")->trigger();
    ASSERT_TRUE(sim->waitForReceived(1, 2000));
    EXPECT_EQ(sim->received(), Bytes{'Z'});
    EXPECT_EQ(out(), "Reset\nReset\n");
}

TEST_F(MainWindow, SetTimeSendsThePcClockInSevenAcknowledgedBytes)
{
    out();
    const time_t before = time(nullptr);
    button("SetTime")->click();
    const Bytes sent = sim->received();
    ASSERT_EQ(sent.size(), 7u);
    EXPECT_EQ(sent[0], 't');

    struct tm local;
    localtime_r(&before, &local);
    EXPECT_EQ(sent[6], binToBcd(unsigned(local.tm_year - 100)));
    EXPECT_EQ(sent[5], binToBcd(unsigned(local.tm_mon + 1)));
    const carsim::Stamp set = sim->clock();
    EXPECT_EQ(set.year, local.tm_year + 1900);
    EXPECT_EQ(out(), "");
}

TEST_F(MainWindow, SetTimeGivesUpWhenTheCarComputerDoesNotAcknowledge)
{
    sim->setAnswering(false);
    err();
    QElapsedTimer clock;
    clock.start();
    button("SetTime")->click();
    EXPECT_LT(clock.elapsed(), 5000) << "one missing acknowledgement ends it";
    EXPECT_EQ(sim->received(), Bytes{'t'});
    EXPECT_EQ(err(), "Error: The Car Computer did not acknowledge the clock setting\n");
    EXPECT_EQ(gui->portSession().holder(), PortSession::Use::None);
}

TEST_F(MainWindow, AboutShowsTheProgramAndItsVersion)
{
    QString title, text;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    menuEntry("&About")->trigger();
    EXPECT_EQ(title, "About");
    EXPECT_EQ(text, "<h3>TralixGui</h3><br><p>Tralix program Version: 1.0.0</p><p>MIT licence: see the file LICENSE</p>");
}

TEST_F(MainWindow, SaveWritesEveryRecordToCardataCsv)
{
    sim->setAnswering(false);
    gui->liveData();
    putOnLine(concat({bytesOf(rawRecord(exampleStamp, exampleReading())),
                      bytesOf(rawRecord({2008, 12, 31, 23, 59, 40})),
                      bytesOf(rawRecord({2008, 12, 31, 23, 59, 50}))}));
    ASSERT_TRUE(waitForRecords(3));

    button("Save")->click();
    const QByteArray csv = fileText("cardata.csv");
    EXPECT_EQ(csv, "0 2008-12-31 23:59:30 12.30 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n"
                   "10 2008-12-31 23:59:40 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00\n"
                   "20 2008-12-31 23:59:50 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00\n");
    EXPECT_TRUE(gui->statusBar()->currentMessage().contains("Saved 3 records"));

    // A German desktop changes nothing in the file.
    GermanNumbers german;
    if (german.active()) {
        button("Save")->click();
        EXPECT_EQ(fileText("cardata.csv"), csv);
    }
}

TEST_F(MainWindow, SaveReportsAFolderItCannotWriteAndAFullDisk)
{
    err();
    // A full disk: the file written beside cardata.csv is /dev/full.
    {
        QFile previous("cardata.csv");
        ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
        previous.write("kept\n");
    }
    const std::string temp = "cardata.csv." + std::to_string(long(getpid())) + ".tmp";
    ASSERT_EQ(symlink("/dev/full", temp.c_str()), 0);
    sim->setAnswering(false);
    gui->liveData();
    putOnLine(bytesOf(rawRecord(exampleStamp, exampleReading())));
    ASSERT_TRUE(waitForRecords(1));
    button("Save")->click();
    EXPECT_EQ(err(), "Error: Unable to write file cardata.csv: Cannot write file: cardata.csv: No space left on device\n");
    // Read back only a regular file: /dev/full in its place would give zeros without end.
    ASSERT_TRUE(QFileInfo("cardata.csv").isFile() && !QFileInfo("cardata.csv").isSymLink());
    EXPECT_EQ(fileText("cardata.csv"), "kept\n");
    EXPECT_FALSE(gui->statusBar()->currentMessage().contains("Saved"));

    // A working folder that no longer exists: nothing can be created in it.
    QTemporaryDir gone;
    QDir::setCurrent(gone.path());
    gone.remove();
    button("Save")->click();
    EXPECT_EQ(err(), "Error: Unable to open file cardata.csv\n");
    QDir::setCurrent(workFolder.path());
}

class MissingDevice : public MainWindow
{
protected:
    void SetUp() override
    {
        enterWorkFolder();
        openWindow("/nonexistent/ttyUSB9");
    }
};

TEST_F(MissingDevice, TheWindowStillWorksAndSaysSoOnce)
{
    EXPECT_EQ(openingOut, "Opening: /nonexistent/ttyUSB9\n");
    EXPECT_EQ(openingErr, "Error: Unable to open serial port: /nonexistent/ttyUSB9\n");
    EXPECT_FALSE(gui->portSession().polling());
    bool statusSaysSo = false;
    for (QLabel* label : gui->statusBar()->findChildren<QLabel*>())
        statusSaysSo |= label->text().contains("Unable to open serial port: /nonexistent/ttyUSB9");
    EXPECT_TRUE(statusSaysSo);

    const auto says = [this](const char* text) { return gui->statusBar()->currentMessage().contains(text); };
    button("LiveData")->click();
    EXPECT_TRUE(says("LiveData: no serial port is open; choose one in the Port menu"));
    EXPECT_FALSE(button("LiveData")->isEnabled());
    EXPECT_TRUE(button("Stop")->isEnabled());
    button("SetTime")->click();
    button("FetchData")->click();
    EXPECT_TRUE(says("FetchData: no serial port is open; choose one in the Port menu"));
    EXPECT_EQ(directoryDialog()->rows()->count(), 1);
    EXPECT_EQ(directoryDialog()->rows()->item(0)->text(), "All Data");
    EXPECT_EQ(err(), "Error: The Car Computer did not acknowledge the clock setting\n");
    directoryDialog()->rows()->item(0)->setSelected(true);
    directoryDialog()->download();
    EXPECT_TRUE(says("Download failed: the Car Computer did not answer"));
}

TEST_F(MainWindow, CtrlRPressedOnTheWindowSendsExactlyR)
{
    gui->show();
    gui->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(gui.get()));
    out();
    sim->clearReceived();
    QTest::keyClick(gui.get(), Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(sim->waitForReceived(1, 2000));
    waitUntil([] { return false; }, 200);  // nothing else follows
    EXPECT_EQ(sim->received(), Bytes{'R'});
    EXPECT_EQ(out(), "Reset\n");
}
