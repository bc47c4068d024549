// A real tralixGui killed while records flow leaves a journal of whole
// cardata.csv lines lacking at most the last second. The records are a stream
// the program takes without LiveData, answering each with 'n'.
#include "CarSimulator.h"
#include "CsvImport.h"
#include "RunFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

TEST(Journal, AKilledProgramLeavesWholeLinesAndLosesAtMostTheLastSecond)
{
    carsim::CarSimulator sim;
    ASSERT_TRUE(sim.start()) << sim.errorText();
    QTemporaryDir data;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_DATA_HOME", data.path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(TRALIXGUI_PATH, {"-d", QString::fromStdString(sim.devicePath())});
    ASSERT_TRUE(program.waitForStarted(5000));
    // Records are sent once the program holds the line open, past its purge.
    const QDir fds(QString::fromLatin1("/proc/%1/fd").arg(program.processId()));
    auto holdsLine = [&] {
        for (const QString& fd : fds.entryList(QDir::System))
            if (QFile::symLinkTarget(fds.filePath(fd)).toStdString() == sim.devicePath())
                return true;
        return false;
    };
    for (int waited = 0; !holdsLine() && waited < 10000; waited += 50)
        QThread::msleep(50);
    QThread::msleep(500);

    std::vector<qint64> sentAt;  // four records a second for four seconds, each its own speed
    QElapsedTimer clock;
    for (clock.start(); sentAt.size() < 16; QThread::msleep(250)) {
        carsim::Sample sample;
        sample.speed = std::uint16_t(100 + sentAt.size());
        const carsim::DataBytes bytes = carsim::makeDataRecord(carsim::stampAt(std::int64_t(8e8) + std::int64_t(sentAt.size())), sample);
        sim.sendRaw({bytes.begin(), bytes.end()});
        sentAt.push_back(clock.elapsed());
    }
    program.kill();
    const qint64 killedAt = clock.elapsed();
    ASSERT_TRUE(program.waitForFinished(5000));

    const std::vector<RunFile> runs = runFiles(data.path() + "/tralixgui/runs");
    ASSERT_EQ(runs.size(), 1u);
    RecordList read;
    const CsvReadResult result = readCsv(ZString(runs[0].path.toLocal8Bit().constData()), read);
    ASSERT_TRUE(result.ok) << result.reason.cStr();
    const auto surely = std::count_if(sentAt.begin(), sentAt.end(), [&](qint64 at) { return at <= killedAt - 1000; });
    EXPECT_GE(qint64(read.size()), qint64(surely)) << "killed at " << killedAt << " ms";
    for (std::size_t i = 0; i < read.size(); ++i)
        EXPECT_EQ(read[i].speed(), 100 + i) << "record " << i;
}
