// The run journal without a window: a file per run in Save's layout, named by
// its start and kind, the newest runs kept, an unwritable folder said once a run.
#include "CsvExport.h"
#include "Recording.h"
#include "RunJournal.h"
#include "TempFolder.h"
#include "TestRecords.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

static Data second(int i) { return decodedRecord({2009, 1, 1, 12, 0, i}); }

static QByteArray text(const QString& path) { QFile f(path); return f.open(QIODevice::ReadOnly) ? f.readAll() : "-"; }

// An empty run and an opened file leave no file; a new run deletes the oldest
// runs beyond the limit (here 3), and nothing that is no run.
TEST(RunJournal, EachRunIsAFileInSavesLayoutNamedByItsStartAndKind)
{
    TempFolder temp;
    const QString folder = QString::fromStdString(temp.path()) + "/";
    for (const char* name : {"2020-01-01_00-00-01_live.csv", "2020-01-01_00-00-01-2_download.csv", "notes"})
        QFile(folder + name).open(QIODevice::WriteOnly);
    Recording recording;
    RunJournal journal(recording, folder, 3);
    recording.clear();
    recording.add(second(0), 1);
    recording.add({{second(2), 3}, {second(5), 6}});
    const QString live = journal.currentFile();
    ASSERT_FALSE(writeCsv(recording.records(), ZString(temp.filePath("saved").c_str())));
    journal.startRun(RunKind::Download);
    recording.clear();
    recording.add(second(9), 10);
    recording.replace(RecordList{second(1)});

    const std::vector<RunFile> runs = runFiles(folder);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].kind, RunKind::Download);
    EXPECT_EQ(QFileInfo(live).fileName(), runFileName(runs[1].start, RunKind::Live, runs[1].sequence));
    EXPECT_LE(std::abs(runs[1].start.secsTo(QDateTime::currentDateTime())), 2);
    EXPECT_EQ(QFileInfo(runs[2].path).fileName(), "2020-01-01_00-00-01-2_download.csv") << "the newer of a second";
    EXPECT_EQ(text(live), text(folder + "saved"));
    EXPECT_EQ(text(runs[0].path), csvLine(second(9), 0).cStr());
    EXPECT_TRUE(QFile::exists(folder + "notes"));
}

TEST(RunJournal, AFolderThatCannotBeWrittenIsSaidOncePerRunAndTheRecordsStay)
{
    TempFolder temp;
    QFile(QString::fromStdString(temp.filePath("plain"))).open(QIODevice::WriteOnly);
    Recording recording;
    RunJournal journal(recording, QString::fromStdString(temp.filePath("plain/runs")), 50);
    QStringList said;
    QObject::connect(&journal, &RunJournal::failed, [&](const QString& text) { said << text; });
    ::testing::internal::CaptureStderr();
    recording.add(second(0), 1);
    recording.add(second(1), 2);
    recording.clear();
    recording.add(second(2), 3);
    const std::string console = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(said.size(), 2) << said.join('|').toStdString();
    EXPECT_EQ(console.rfind("Error: Run journal: unable to create ", 0), 0u) << console;
    EXPECT_EQ(std::count(console.begin(), console.end(), '\n'), 2);
    EXPECT_EQ(recording.count(), 1);
}
