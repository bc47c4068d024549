// The run journal of a real tralixGui killed while records flow: what it wrote
// is whole cardata.csv lines and holds all but the last second of the records.
// The records come as a Car Computer's stream the program takes without
// LiveData (each answered with 'n'), the one way to feed a real process.
#include "CarSimulator.h"
#include "CsvImport.h"
#include "RunFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <vector>

namespace {

// True once the program holds `device` open.
bool holdsOpen(qint64 pid, const std::string& device, int timeoutMs)
{
    const QString wanted = QString::fromStdString(device);
    QElapsedTimer waited;
    waited.start();
    while (!waited.hasExpired(timeoutMs)) {
        const QDir fds(QString::fromLatin1("/proc/%1/fd").arg(pid));
        for (const QString& fd : fds.entryList(QDir::System))
            if (QFile::symLinkTarget(fds.filePath(fd)) == wanted)
                return true;
        QThread::msleep(50);
    }
    return false;
}

} // namespace

TEST(Journal, AKilledProgramLeavesWholeLinesAndLosesAtMostTheLastSecond)
{
    carsim::CarSimulator sim;
    ASSERT_TRUE(sim.start()) << sim.errorText();
    QTemporaryDir data, runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("XDG_DATA_HOME", data.path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.setStandardOutputFile(QProcess::nullDevice());
    program.start(TRALIXGUI_PATH, {"-d", QString::fromStdString(sim.devicePath())});
    ASSERT_TRUE(program.waitForStarted(5000));
    ASSERT_TRUE(holdsOpen(program.processId(), sim.devicePath(), 10000));
    QThread::msleep(500);  // past the opening's purge of the line

    // Four records a second for four seconds, each its own speed.
    const carsim::Stamp start{2026, 12, 9, 14, 0, 0};
    std::vector<qint64> sentAt;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 16; ++i) {
        carsim::Sample sample;
        sample.speed = std::uint16_t(100 + i);
        const carsim::DataBytes bytes =
            carsim::makeDataRecord(carsim::stampAt(carsim::stampSeconds(start) + i), sample);
        sim.sendRaw({bytes.begin(), bytes.end()});
        sentAt.push_back(clock.elapsed());
        QThread::msleep(250);
    }
    program.kill();
    const qint64 killedAt = clock.elapsed();
    ASSERT_TRUE(program.waitForFinished(5000));

    const std::vector<RunFile> runs = runFiles(data.path() + "/tralixgui/runs");
    ASSERT_EQ(runs.size(), 1u);
    RecordList read;
    const CsvReadResult result = readCsv(ZString(runs[0].path.toLocal8Bit().constData()), read);
    ASSERT_TRUE(result.ok) << result.reason.cStr();
    std::size_t surely = 0;  // sent a second or more before the kill
    while (surely < sentAt.size() && sentAt[surely] <= killedAt - 1000)
        ++surely;
    EXPECT_GE(read.size(), surely) << "killed at " << killedAt << " ms";
    for (std::size_t i = 0; i < read.size(); ++i)
        EXPECT_EQ(read[i].speed(), 100 + i) << "record " << i;
}
