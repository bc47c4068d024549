#pragma once
// The download of what the Car Computer has stored: the Info reply, the
// directory of its blocks, and the blocks the user picked, record by record,
// into the recording. It runs on the GUI thread: the records of a block are
// read one after another, and the event loop runs after each one so that the
// window repaints and Stop can end the download.

#include "CarLink.h"
#include "RecordIntake.h"
#include "ZList.h"
#include "ZString.h"

#include <QObject>
#include <QString>

class PortSession;
class Recording;

class Download : public QObject
{
    Q_OBJECT

public:
    Download(PortSession& session, Recording& recording, QObject* parent = nullptr);

    // The Info exchange on its own, as a command.
    void getInfo();
    // Info, then the directory: `lines` gets the text of each entry read.
    // With no directory (DirNumber 0) nothing is listed and "All Data" is
    // the one block.
    void getDirectory(ZList<ZString>& lines);
    // Unanswered: rows were asked for, and not one record came.
    enum class Ended { Refused, Finished, Stopped, Unanswered };
    // Downloads the blocks of these rows of the directory, in order, until the
    // last or until Stop. Refused while the port is in use.
    Ended fetchRows(const ZList<int>& rows);
    // The status bar's words for a download that ended so, with `records` held.
    static QString outcome(Ended ended, qint64 records);
    // One record of the transfer in progress: read, the next one asked for,
    // and the record added to the recording. False when the Car Computer did
    // not answer, or no transfer runs.
    bool takeRecord();

    const Info& info() const { return lastInfo; }
    const ZList<Directory>& entries() const { return dirEntries; }

signals:
    // The download holds the port and begins.
    void started();
    // Record `record` of `records` of block `block` of `blocks` is on its way.
    void progress(int block, int blocks, int record, int records);

private:
    void readInfo(ZSerial& port);
    void fetchBlock(int row, int blockNumber, int blockCount);

    PortSession& session;
    Recording& recording;
    RecordIntake intake;
    Info lastInfo;  // DirNumber, DirPos, DataPos of the last Info reply
    ZList<Directory> dirEntries;
    ZSerial* transferPort = nullptr;  // while a transfer holds the port
    bool answered = false;  // a record came in the transfer
};
