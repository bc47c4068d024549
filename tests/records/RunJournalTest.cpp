// The run journal without a window: a file per run in cardata.csv's layout,
// named by its start and kind, on disk within a second, the newest runs kept,
// and an unwritable folder said once per run.
#include "CsvExport.h"
#include "CsvImport.h"
#include "Recording.h"
#include "RunJournal.h"
#include "TempFolder.h"
#include "TestRecords.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

Data second(int i)
{
    Reading r;
    r.speed = 100 * i;
    return decodedRecord({2009, 1, 1, 12, 0, i}, r);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QString folderOf(const TempFolder& temp, const char* name)
{
    return QString::fromStdString(temp.filePath(name));
}

} // namespace

// A run is a file from its first record to the clear that ends it, in the very
// text Save writes; an empty run and an opened file leave none.
TEST(RunJournal, EachRunIsAFileInSavesLayoutNamedByItsStartAndKind)
{
    TempFolder temp;
    const QString folder = folderOf(temp, "runs");
    Recording recording;
    RunJournal journal(recording, folder, 50);
    journal.startRun(RunKind::Live);
    recording.clear();
    EXPECT_TRUE(runFiles(folder).empty()) << "a run without records leaves no file";

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    recording.add(second(0), 1);
    recording.add({{second(2), 3}, {second(5), 6}});
    const QString live = journal.currentFile();
    const QString saved = folderOf(temp, "saved.csv");
    ASSERT_FALSE(writeCsv(recording.records(), ZString(saved.toLocal8Bit().constData())));
    journal.startRun(RunKind::Download);
    recording.clear();
    recording.add(second(9), 10);
    RecordList opened{second(1)};
    recording.replace(std::move(opened));

    const std::vector<RunFile> runs = runFiles(folder);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].kind, RunKind::Download) << "newest first";
    EXPECT_EQ(runs[1].path, live);
    EXPECT_EQ(QFileInfo(live).fileName(), runFileName(runs[1].start, RunKind::Live, runs[1].sequence));
    EXPECT_TRUE(runs[1].start >= before && runs[1].start <= QDateTime::currentDateTime());
    EXPECT_EQ(contents(live), contents(saved));
    EXPECT_EQ(contents(runs[0].path), QByteArray(csvLine(second(9), 0).cStr()));
    EXPECT_EQ(summarizeRun(live).records, 3);
    EXPECT_EQ(summarizeRun(live).seconds, 5);
}

// A kill loses at most the last second: lines are on disk within one, the file still open.
TEST(RunJournal, LinesReachTheDiskWithinASecondWhileTheRunGoesOn)
{
    TempFolder temp;
    Recording recording;
    RunJournal journal(recording, folderOf(temp, "runs"), 50);
    recording.add(second(0), 1);
    recording.add(second(1), 2);
    QElapsedTimer waited;
    waited.start();
    while (!waited.hasExpired(1000))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    RecordList read;
    const CsvReadResult result = readCsv(ZString(journal.currentFile().toLocal8Bit().constData()), read);
    EXPECT_TRUE(result.ok) << result.reason.cStr();
    EXPECT_EQ(read.size(), 2u);
}

// A new run's start deletes the oldest runs beyond the limit, and nothing that is no run.
TEST(RunJournal, ANewRunKeepsTheNewestRunsAndOtherFiles)
{
    TempFolder temp;
    const QString folder = folderOf(temp, "");
    for (const char* name : {"2020-01-01_00-00-01_live.csv", "2020-01-01_00-00-01-2_download.csv",
                             "2020-01-01_00-00-03_live.csv", "2019-12-31_23-59-59_download.csv", "notes.csv"})
        QFile(folder + name).open(QIODevice::WriteOnly);
    Recording recording;
    RunJournal journal(recording, folder, 3);
    recording.add(second(0), 1);
    std::vector<QString> kept;
    for (const RunFile& run : runFiles(folder))
        kept.push_back(QFileInfo(run.path).fileName());
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0], QFileInfo(journal.currentFile()).fileName());
    EXPECT_EQ(kept[1], "2020-01-01_00-00-03_live.csv");
    EXPECT_EQ(kept[2], "2020-01-01_00-00-01-2_download.csv") << "the second run of a second is the newer";
    EXPECT_TRUE(QFile::exists(folder + "notes.csv"));
}

// An unwritable folder is said once per run; the records keep coming into the window.
TEST(RunJournal, AFolderThatCannotBeWrittenIsSaidOncePerRun)
{
    TempFolder temp;
    QFile(folderOf(temp, "plain")).open(QIODevice::WriteOnly);
    Recording recording;
    RunJournal journal(recording, folderOf(temp, "plain/runs"), 50);
    QStringList said;
    QObject::connect(&journal, &RunJournal::failed, [&](const QString& text) { said << text; });
    ::testing::internal::CaptureStderr();
    recording.add(second(0), 1);
    recording.add(second(1), 2);
    journal.startRun(RunKind::Download);
    recording.clear();
    recording.add(second(2), 3);
    const std::string console = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(said.size(), 2) << said.join('|').toStdString();
    EXPECT_TRUE(said[0].contains("Not a directory")) << said[0].toStdString();
    EXPECT_EQ(console.rfind("Error: Run journal: unable to create ", 0), 0u) << console;
    EXPECT_EQ(std::count(console.begin(), console.end(), '\n'), 2);
    EXPECT_EQ(recording.count(), 1);
}
