// Stored data: the directory, the downloads, and saving records to cardata.csv.
#include "Gui.h"

#include "DirectoryRead.h"
#include "DownloadPlan.h"
#include "WDataDirectory.h"

#include <QCoreApplication>
#include <QPushButton>

#include <cstdio>

void Gui::getInfo()
{
    std::printf("GetInfo\n");
    carlink::readInfo(port, info);
    std::printf("Info: DirNumber: %d, DirPos: %d, DataPos: %d\n", int(info.DirNumber), int(info.DirPos),
                int(info.DataPos));
}

void Gui::getDirectory(ZList<ZString>& directory)
{
    const PortSession::Claim reading = session.claim(PortSession::Use::Transfer);
    if (!reading)
        return;
    std::printf("GetDirectory\n");
    dirEntries.clear();
    getInfo();
    if (info.DirNumber == 0)
        return;
    readDirectory(reading.port(), info, dirEntries);
    ZListPos pos;
    for (dirEntries.start(pos); !dirEntries.isEnd(pos); dirEntries.next(pos))
        directory.append(directoryLine(dirEntries.get(pos)));
}

void Gui::fetchData()
{
    // Only asks whether the port is free: the dialog's directory read claims it.
    if (!session.claim(PortSession::Use::Command, "FetchData"))
        return;
    std::printf("FetchData\n");
    beginRun(0);
    review->clearRecords();
    session.setPolling(false);
    directoryDialog->show();
    directoryDialog->update();
}

void Gui::fetchDataDir(ZList<int> entries)
{
    const PortSession::Claim transfer = session.claim(PortSession::Use::Transfer, "Download");
    if (!transfer)
        return;
    std::printf("FetchDataDir: %d\n", entries.count());
    const bool wasEnabled[] = {liveButton->isEnabled(), fetchButton->isEnabled(), stopButton->isEnabled()};
    enableButtons(false, false, true);
    for (int block = 0; block < entries.count() && !session.transferStopped(); ++block)
        downloadBlock(entries[block], block + 1, entries.count());
    // The buttons are as they were, or, after Stop, as Stop leaves them.
    const bool stopped = session.transferStopped();
    enableButtons(stopped || wasEnabled[0], stopped || wasEnabled[1], !stopped && wasEnabled[2]);
    note(QString::fromLatin1(stopped ? "Download stopped: %1 records" : "Download finished: %1 records")
             .arg(records.count()), outcomeMs);
}

void Gui::downloadBlock(int row, int blockNumber, int blockCount)
{
    const Block block = blockForRow(dirEntries, row, info);
    if (!block.valid) {
        std::fprintf(stderr, "Error: No directory entry for row %d\n", row);
        return;
    }
    std::printf("Fetch: Start: %d Num: %d\n", int(block.start), int(block.num));
    carlink::startDataTransfer(port, block.start, block.num);
    // After Stop the record already asked for is still taken, but no further one is asked for.
    bool lastOne = false;
    for (int k = 0; k < block.num && !lastOne; ++k) {
        note(QString::fromLatin1("Download: block %1 of %2, record %3 of %4")
                 .arg(blockNumber).arg(blockCount).arg(k + 1).arg(block.num));
        lastOne = session.transferStopped();
        doData(blockNumber);
        if (downloadStalled) {
            std::fprintf(stderr, "Error: No answer from the Car Computer: giving up block %d after %d of %d records\n",
                         blockNumber, k, int(block.num));
            QCoreApplication::processEvents();
            return;
        }
    }
}

void Gui::takeDownloadRecord()
{
    // Only the transfer that asked for a record may read it.
    if (session.holder() != PortSession::Use::Transfer)
        return;
    Data raw;
    const int received = carlink::readDataRecord(port, raw);
    downloadStalled = received <= 0;
    if (downloadStalled) {
        std::printf("Return: %d\n", received);
        return;
    }
    // Ask for the next record before looking at this one, so that the Car
    // Computer is already sending while this one is decoded and drawn.
    if (!session.transferStopped())
        carlink::requestNext(port);
    showRecord(intake.takeRead(raw, received));
}

void Gui::fetchDataOld()
{
    const PortSession::Claim starting = session.claim(PortSession::Use::Command, "FetchData");
    if (!starting)
        return;
    std::printf("FetchData\n");
    enableButtons(liveButton->isEnabled(), false, true);
    beginRun(0);
    carlink::startOlderTransfer(starting.port());
}

void Gui::save()
{
    review->files().save();
}
