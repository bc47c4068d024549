#pragma once
// What the window holds: every record since the last clear with, for each of
// the ten channels, its history of samples and its live window. Records come
// in one at a time or a tick's batch at once (live, a download), or replace
// everything (a file opened). The views (graphs, history, read-out, log)
// only read it and redraw when it says what changed.
//
// The Time channel counts seconds from the first record ever received, which
// no later run resets; an opened file's Time counts its own first column.

#include "Channels.h"
#include "HistoryFill.h"
#include "LiveWindows.h"
#include "RecordList.h"
#include "SampleHistory.h"

#include <QObject>

#include <ctime>
#include <vector>

class Recording : public QObject
{
    Q_OBJECT

public:
    // A record as received: calendar bytes decoded, with their time stamp.
    struct Arrival
    {
        Data record;
        std::time_t stamp;
    };

    explicit Recording(int sampleCount = 2048);

    void add(const Data& record, std::time_t stamp);
    void add(const std::vector<Arrival>& batch);
    // The records of a file in place of everything held; nothing is unsaved.
    void replace(RecordList&& opened);
    // The same with their histories made beforehand, a slice at a time.
    void replace(RecordList&& opened, HistoryFill&& fill);
    // A new run: no records, empty histories, zeroed windows, nothing unsaved.
    void clear();
    // Zeroed live windows, the records and histories kept (the older transfer start).
    void restartWindows();

    const RecordList& records() const { return held; }
    qint64 count() const { return qint64(held.size()); }
    const Data& record(qint64 index) const { return held[std::size_t(index)]; }
    const std::vector<SampleHistory>& histories() const { return channelHistories; }
    // The value a history keeps: the record's exact value, as cardata.csv has it.
    float sample(qint64 index, int channel) const { return channelHistories[std::size_t(channel)].at(index); }
    const LiveWindows& live() const { return windows; }
    std::time_t timeOrigin() const { return origin; }

    // Records came since the last clear, Save, Save As or Open.
    bool hasUnsaved() const { return unsaved && !held.empty(); }
    void markSaved() { unsaved = false; }

signals:
    // `count` records were added at the end.
    void appended(int count);
    // Everything held was replaced (a file opened).
    void replaced();
    void cleared();
    void windowsRestarted();

private:
    // The record's samples into the histories and the live windows.
    void sampleRecord(const Data& record, float seconds);
    void showLive(const Data& record, float seconds);

    RecordList held;
    std::vector<SampleHistory> channelHistories;
    LiveWindows windows;
    std::time_t origin = 0;
    bool unsaved = false;
};
