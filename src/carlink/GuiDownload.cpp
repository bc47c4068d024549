// Reading the Car Computer's directory and downloading the chosen blocks.
#include "Gui.h"

#include "DownloadPlan.h"
#include "WDataDirectory.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QStatusBar>

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
    if (inExchange)
        return;
    std::printf("GetDirectory\n");
    dirEntries.clear();
    inExchange = true;
    getInfo();
    if (info.DirNumber == 0) {
        inExchange = false;
        checkPort();
        return;
    }

    const std::uint32_t from = directoryReadFrom(info.DirPos, info.DirNumber);
    const std::uint32_t num = carlink::directoryEntriesRequested;
    std::printf("Read from: %u Num: %u\n", from, num);
    carlink::startDirectoryTransfer(port, from, std::uint16_t(num));

    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    for (std::uint32_t i = 0; i < num; ++i) {
        Directory entry;
        const int received = carlink::readDirectoryEntry(port, entry);
        if (received <= 0)
            break;
        // A short entry is as broken as one with a wrong magic: its fields
        // would be whatever the buffer held.
        if (received != carlink::directoryRecordSize || entry.magic() != carlink::recordMagic) {
            std::fprintf(stderr, "Error in directory received: %x\n", unsigned(entry.magic()));
            break;
        }
        if (entry.isEmptySlot())
            continue;
        entry.decode(local);
        dirEntries.append(entry);
        directory.append(directoryLine(entry));
    }
    inExchange = false;
    checkPort();
}

void Gui::fetchData()
{
    if (refuseWhileBusy("FetchData"))
        return;
    std::printf("FetchData\n");
    clearWindows();
    records.clear();
    liveMode = 0;
    liveRunning = false;
    runTimer(0);
    directoryDialog->show();
    directoryDialog->update();
}

void Gui::fetchDataDir(ZList<int> entries)
{
    if (refuseWhileBusy("Download"))
        return;
    std::printf("FetchDataDir: %d\n", entries.count());

    const bool liveWasEnabled = liveButton->isEnabled();
    const bool fetchWasEnabled = fetchButton->isEnabled();
    const bool stopWasEnabled = stopButton->isEnabled();
    liveButton->setEnabled(false);
    fetchButton->setEnabled(false);
    stopButton->setEnabled(true);
    inExchange = true;
    downloadCancelled = false;

    const int blockCount = entries.count();
    int blockNumber = 0;
    ZListPos pos;
    for (entries.start(pos); !entries.isEnd(pos) && !downloadCancelled; entries.next(pos))
        downloadBlock(entries.get(pos), ++blockNumber, blockCount);

    inExchange = false;
    if (downloadCancelled) {
        // Stop pressed during the download: the window ends as after Stop.
        liveButton->setEnabled(true);
        fetchButton->setEnabled(true);
        stopButton->setEnabled(false);
        statusBar()->showMessage(QString::fromLatin1("Download stopped: %1 records").arg(records.count()), 10000);
    } else {
        liveButton->setEnabled(liveWasEnabled);
        fetchButton->setEnabled(fetchWasEnabled);
        stopButton->setEnabled(stopWasEnabled);
        statusBar()->showMessage(QString::fromLatin1("Download finished: %1 records").arg(records.count()), 10000);
    }
    downloadCancelled = false;
    checkPort();
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

    for (int k = 0; k < block.num; ++k) {
        statusBar()->showMessage(QString::fromLatin1("Download: block %1 of %2, record %3 of %4")
                                     .arg(blockNumber)
                                     .arg(blockCount)
                                     .arg(k + 1)
                                     .arg(block.num));
        // After Stop the record already asked for is still taken, but no further one is asked for.
        const bool lastOne = downloadCancelled;
        if (takeRecord(!lastOne) == RecordResult::NothingReceived) {
            std::fprintf(stderr, "Error: No answer from the Car Computer: giving up block %d after %d of %d records\n",
                         blockNumber, k, int(block.num));
            QCoreApplication::processEvents();
            return;
        }
        if (lastOne)
            return;
    }
}

void Gui::fetchDataOld()
{
    if (refuseWhileBusy("FetchData"))
        return;
    std::printf("FetchData\n");
    fetchButton->setEnabled(false);
    stopButton->setEnabled(true);
    clearWindows();
    liveMode = 0;
    liveRunning = false;
    carlink::startOlderTransfer(port);
    checkPort();
}
