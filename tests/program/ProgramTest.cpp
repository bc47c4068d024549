// The tralixGui program as a user starts it.
#include "CarSimulator.h"

#include <QProcess>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProgramRun
{
    bool exited = false;
    int status = -1;
    QString out;
    QString err;
};

// Starts tralixGui on the offscreen platform; ends it after `lifeMs` unless it ends by itself.
ProgramRun runProgram(const QStringList& arguments, int lifeMs)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // Without it Qt notes on the console that it made one up.
    static QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    program.setProcessEnvironment(env);
    program.start(TRALIXGUI_PATH, arguments);
    ProgramRun run;
    if (!program.waitForStarted(5000))
        return run;
    run.exited = program.waitForFinished(lifeMs);
    if (!run.exited) {
        program.terminate();
        if (!program.waitForFinished(5000)) {
            program.kill();
            program.waitForFinished(5000);
        }
    } else {
        run.status = program.exitCode();
    }
    run.out = QString::fromLocal8Bit(program.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(program.readAllStandardError());
    return run;
}

} // namespace

TEST(Program, AnUnknownOptionPrintsTheUsageAndEndsBeforeAnyWindow)
{
    for (const QStringList& args : {QStringList{"-x"}, QStringList{"-d", "/nonexistent", "-platform", "xcb"}}) {
        const ProgramRun run = runProgram(args, 10000);
        ASSERT_TRUE(run.exited) << args.join(' ').toStdString();
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.toStdString(), "Usage: tralixGui\n");
        EXPECT_EQ(run.out.toStdString(), "") << "no window was built";
    }
}

TEST(Program, ADeviceThatCannotBeOpenedIsReportedOnceAndTheWindowStaysUp)
{
    for (const QString& device : {QString("/nonexistent/ttyUSB0"), QString(), QString(100000, 'y')}) {
        const ProgramRun run = runProgram({"-d", device}, 1500);
        EXPECT_FALSE(run.exited) << "the window keeps running";
        // Compared as truths, so that a failure does not print a 100,000-character name.
        EXPECT_TRUE(run.out == "Opening: " + device + "\n") << run.out.left(200).toStdString();
        EXPECT_TRUE(run.err == "Error: Unable to open serial port: " + device + "\n") << run.err.left(200).toStdString();
    }
}

TEST(Program, OpensTheSimulatedCarComputer)
{
    carsim::CarSimulator sim;
    ASSERT_TRUE(sim.start()) << sim.errorText();
    const ProgramRun run = runProgram({"-d", QString::fromStdString(sim.devicePath())}, 1500);
    EXPECT_FALSE(run.exited);
    EXPECT_EQ(run.out.toStdString(), "Opening: " + sim.devicePath() + "\n");
    EXPECT_EQ(run.err.toStdString(), "");
}

TEST(Program, ADashDGivenLastNamesTheEmptyDevice)
{
    for (const QStringList& args : {QStringList{"-d"}, QStringList{"-d", "/nonexistent/ttyUSB0", "-d"}}) {
        const ProgramRun run = runProgram(args, 1500);
        EXPECT_FALSE(run.exited) << args.join(' ').toStdString() << ": the window keeps running";
        EXPECT_EQ(run.out.toStdString(), "Opening: \n") << args.join(' ').toStdString();
        EXPECT_EQ(run.err.toStdString(), "Error: Unable to open serial port: \n") << args.join(' ').toStdString();
    }
}
