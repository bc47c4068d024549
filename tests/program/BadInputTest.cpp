// Odd device names, devices that are no serial ports, and folders that cannot
// be written: each gets a clear console line and a window that still works.
#include "MainWindowFixture.h"

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QStatusBar>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString portNote(Gui& gui)
{
    for (QLabel* label : gui.statusBar()->findChildren<QLabel*>())
        if (label->text().contains("serial port"))
            return label->text();
    return QString();
}

} // namespace

class BadDevice : public MainWindow
{
protected:
    void SetUp() override
    {
        enterWorkFolder();
    }

    // Opens the window on `device` and checks what the user is told, and that the window works.
    void expectRefused(const std::string& device, const char* reason)
    {
        SCOPED_TRACE(device.size() > 80 ? device.substr(0, 80) + "..." : device);
        gui.reset();
        out();
        err();
        openWindow(device);
        // Compared as truths, so that a failure does not print a 100,000-character name.
        EXPECT_TRUE(openingOut == "Opening: " + device + "\n") << openingOut.substr(0, 200);
        EXPECT_TRUE(openingErr == "Error: Unable to open serial port: " + device + "\n") << openingErr.substr(0, 200);
        const QString note = portNote(*gui);
        EXPECT_TRUE(note.contains(reason)) << note.toStdString();
        EXPECT_LT(note.size(), 200) << "a long name is shortened in the status bar";
        EXPECT_LE(gui->minimumSizeHint().width(), 1010) << "the window keeps its size";

        button("LiveData")->click();
        EXPECT_FALSE(button("LiveData")->isEnabled());
        button("Stop")->click();
        button("Save")->click();
        EXPECT_FALSE(QFile::exists("cardata.csv")) << "nothing to save";
    }
};

TEST_F(BadDevice, NamesThatAreNoSerialPortAreRefusedWithAReason)
{
    QFile regular(workFolder.filePath("notes.txt"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.write("not a tty\n");
    regular.close();

    expectRefused("", "No such file or directory");
    expectRefused(std::string(100000, 'x'), "File name too long");
    expectRefused(workFolder.path().toStdString(), "Is a directory");
    expectRefused(regular.fileName().toStdString(), "not a serial port");
    expectRefused("/dev/null", "not a serial port");
    expectRefused("COM0", "No such file or directory");
    expectRefused("line\nbreak and spaces ", "No such file or directory");
}

TEST_F(BadDevice, APortAnotherProgramHoldsIsRefused)
{
    carsim::CarSimulator holder(quietCarComputer());
    ASSERT_TRUE(holder.start());
    ZSerial other;
    ASSERT_EQ(other.open(holder.devicePath().c_str()), 0);
    expectRefused(holder.devicePath(), "in use by another program");
}

TEST_F(MainWindow, SavingWhereNoFileCanBeCreatedIsReportedAndTheWindowGoesOn)
{
    sim->setAnswering(false);
    gui->liveData();
    putOnLine(bytesOf(rawRecord(exampleStamp, exampleReading())));
    ASSERT_TRUE(waitForRecords(1));
    err();

    // /proc takes no new files, not even from root.
    QDir::setCurrent("/proc");
    button("Save")->click();
    EXPECT_EQ(err(), "Error: Unable to open file cardata.csv\n");

    if (geteuid() != 0) {
        QDir::setCurrent(workFolder.path());
        ASSERT_EQ(chmod(workFolder.path().toLocal8Bit().constData(), 0555), 0);
        button("Save")->click();
        EXPECT_EQ(err(), "Error: Unable to open file cardata.csv\n");
        chmod(workFolder.path().toLocal8Bit().constData(), 0755);
    }
    QDir::setCurrent(workFolder.path());
    button("Save")->click();
    EXPECT_EQ(err(), "");
    EXPECT_EQ(int(gui->contents().records.size()), 1) << "nothing received was lost";
}

// A device that belongs to someone else: the program runs as an ordinary user,
// who is told how to get the right to use it.
TEST(Program, ADeviceOwnedBySomeoneElseIsRefused)
{
    if (geteuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "needs root to start the program as another user";
    carsim::CarSimulator sim;
    ASSERT_TRUE(sim.start());
    chmod(sim.devicePath().c_str(), 0600);  // root's alone
    const struct passwd* nobody = getpwuid(65534);
    ASSERT_TRUE(nobody);
    const std::string nobodyName = nobody->pw_name;

    QTemporaryDir runtime;
    chown(runtime.path().toLocal8Bit().constData(), 65534, 65534);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(runtime.path());
    program.start("/usr/bin/setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", TRALIXGUI_PATH, "-d",
                                       QString::fromStdString(sim.devicePath())});
    ASSERT_TRUE(program.waitForStarted(5000));
    const bool ended = program.waitForFinished(1500);
    if (ended && program.exitCode() == 126)
        GTEST_SKIP() << "the build folder is not open to other users";
    EXPECT_FALSE(ended) << "the window keeps running";
    program.terminate();
    program.waitForFinished(5000);
    EXPECT_EQ(program.readAllStandardOutput().toStdString(), "Opening: " + sim.devicePath() + "\n");
    // What the user can do comes after the error line, with the user it runs as.
    EXPECT_EQ(program.readAllStandardError().toStdString(),
              "Error: Unable to open serial port: " + sim.devicePath() +
                  "\nPermission denied: add your user to the group dialout (sudo adduser " + nobodyName +
                  " dialout), then log out and in again\n");
}
