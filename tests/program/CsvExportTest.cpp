#include "CsvExport.h"
#include "TestRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

class CsvExport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
        ASSERT_TRUE(folder.isValid());
        csv = folder.filePath("cardata.csv");
    }
    ZString csvName() const { return ZString(csv.toLocal8Bit().constData()); }

    QTemporaryDir folder;
    QString csv;
};

} // namespace

TEST_F(CsvExport, WritesOneLinePerRecordCountingSecondsFromTheFirst)
{
    ZList<Data> records;
    records.append(decodedRecord(exampleStamp, exampleReading()));
    records.append(decodedRecord({2008, 12, 31, 23, 59, 40}));
    records.append(decodedRecord({2009, 1, 1, 0, 0, 0}));

    ASSERT_EQ(writeCsv(records, csvName()).getNumber(), 0);
    EXPECT_EQ(contents(csv),
              "0 2008-12-31 23:59:30 12.30 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n"
              "10 2008-12-31 23:59:40 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00\n"
              "30 2009-01-01 00:00:00 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00\n");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"cardata.csv"}) << "no temporary file is left";
}

TEST_F(CsvExport, NoRecordsGiveAnEmptyFileAndSavingTwiceGivesTheSameFile)
{
    writeText(csv, "old contents\n");
    ZList<Data> records;
    ASSERT_EQ(writeCsv(records, csvName()).getNumber(), 0);
    EXPECT_EQ(contents(csv), QByteArray());

    records.append(decodedRecord(exampleStamp));
    ASSERT_EQ(writeCsv(records, csvName()).getNumber(), 0);
    const QByteArray first = contents(csv);
    ASSERT_EQ(writeCsv(records, csvName()).getNumber(), 0);
    EXPECT_EQ(contents(csv), first);
}

TEST_F(CsvExport, AFolderThatCannotBeWrittenIsReportedAsNotOpened)
{
    ZList<Data> records;
    records.append(decodedRecord(exampleStamp));
    const ZError err = writeCsv(records, ZString(folder.filePath("missing/cardata.csv").toLocal8Bit().constData()));
    EXPECT_EQ(err.getNumber(), csvCannotOpen);
    EXPECT_EQ(std::string(err.getString().cStr()).rfind("Cannot open file: ", 0), 0u) << err.getString().cStr();
}

TEST_F(CsvExport, AFullDiskIsReportedAndThePreviousFileIsKept)
{
    writeText(csv, "the previous export\n");
    // The export writes beside the target first; make that file the full disk.
    const QString temp = QString("%1.%2.tmp").arg(csv).arg(long(getpid()));
    ASSERT_EQ(symlink("/dev/full", temp.toLocal8Bit().constData()), 0);

    ZList<Data> records;
    for (int i = 0; i < 200; ++i)
        records.append(decodedRecord(exampleStamp, exampleReading()));
    const ZError err = writeCsv(records, csvName());
    EXPECT_EQ(err.getNumber(), csvCannotWrite);
    EXPECT_NE(std::string(err.getString().cStr()).find("No space left on device"), std::string::npos)
        << err.getString().cStr();
    EXPECT_EQ(contents(csv), "the previous export\n");
    EXPECT_FALSE(QFileInfo::exists(temp) || QFileInfo(temp).isSymLink());
}
