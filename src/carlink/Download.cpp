#include "Download.h"

#include "DirectoryRead.h"
#include "DownloadPlan.h"
#include "PortSession.h"
#include "RecordText.h"
#include "Recording.h"

#include <QCoreApplication>

#include <cstdio>

Download::Download(PortSession& session, Recording& recording, QObject* parent)
    : QObject(parent), session(session), recording(recording)
{
}

void Download::readInfo(ZSerial& port)
{
    std::printf("GetInfo\n");
    carlink::readInfo(port, lastInfo);
    std::printf("Info: DirNumber: %d, DirPos: %d, DataPos: %d\n", int(lastInfo.DirNumber), int(lastInfo.DirPos),
                int(lastInfo.DataPos));
}

void Download::getInfo()
{
    if (const PortSession::Claim asking = session.claim(PortSession::Use::Command, "GetInfo"))
        readInfo(asking.port());
}

void Download::getDirectory(ZList<ZString>& lines)
{
    const PortSession::Claim reading = session.claim(PortSession::Use::Transfer);
    if (!reading)
        return;
    std::printf("GetDirectory\n");
    dirEntries.clear();
    readInfo(reading.port());
    if (lastInfo.DirNumber == 0)
        return;
    readDirectory(reading.port(), lastInfo, dirEntries);
    ZListPos pos;
    for (dirEntries.start(pos); !dirEntries.isEnd(pos); dirEntries.next(pos))
        lines.append(directoryLine(dirEntries.get(pos)));
}

Download::Ended Download::fetchRows(const ZList<int>& rows)
{
    const PortSession::Claim transfer = session.claim(PortSession::Use::Transfer, "Download");
    if (!transfer)
        return Ended::Refused;
    std::printf("FetchDataDir: %d\n", rows.count());
    emit started();
    transferPort = &transfer.port();
    answered = false;
    for (int block = 0; block < rows.count() && !session.transferStopped(); ++block)
        fetchBlock(rows[block], block + 1, rows.count());
    transferPort = nullptr;
    if (session.transferStopped())
        return Ended::Stopped;
    return answered || rows.count() == 0 ? Ended::Finished : Ended::Unanswered;
}

QString Download::outcome(Ended ended, qint64 records)
{
    if (ended == Ended::Unanswered)
        return QString::fromLatin1("Download failed: the Car Computer did not answer");
    return QString::fromLatin1(ended == Ended::Stopped ? "Download stopped: %1 records" : "Download finished: %1 records")
        .arg(records);
}

void Download::fetchBlock(int row, int blockNumber, int blockCount)
{
    const Block block = blockForRow(dirEntries, row, lastInfo);
    if (!block.valid) {
        std::fprintf(stderr, "Error: No directory entry for row %d\n", row);
        return;
    }
    std::printf("Fetch: Start: %d Num: %d\n", int(block.start), int(block.num));
    carlink::startDataTransfer(*transferPort, block.start, block.num);
    // After Stop the record already asked for is still taken, but no further one is asked for.
    bool lastOne = false;
    for (int k = 0; k < block.num && !lastOne; ++k) {
        emit progress(blockNumber, blockCount, k + 1, block.num);
        lastOne = session.transferStopped();
        const bool answered = takeRecord();
        // Lets the graphs and the log repaint, and Stop answer, between records.
        QCoreApplication::processEvents();
        if (!answered) {
            std::fprintf(stderr, "Error: No answer from the Car Computer: giving up block %d after %d of %d records\n",
                         blockNumber, k, int(block.num));
            return;
        }
    }
}

bool Download::takeRecord()
{
    if (!transferPort)
        return false;
    Data raw;
    const int received = carlink::readDataRecord(*transferPort, raw);
    if (received <= 0) {
        std::printf("Return: %d\n", received);
        return false;
    }
    answered = true;
    // Ask for the next record before looking at this one, so that the Car
    // Computer is already sending while this one is decoded and drawn.
    if (!session.transferStopped())
        carlink::requestNext(*transferPort);
    const IntakeResult taken = intake.takeRead(raw, received);
    if (taken.kind == IntakeResult::Kind::Broken)
        reportBroken(taken);
    else if (taken.kind == IntakeResult::Kind::Whole)
        recording.add(taken.record, taken.stamp);
    return true;
}
