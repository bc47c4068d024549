#pragma once
// The line under the graphs while they show the history: the record under the
// cursor with its date, time and ten values and, once a second cursor is
// pinned, the differences from the pinned record; without a cursor, how to get one.

#include "CarRecords.h"
#include "RecordText.h"
#include "ZList.h"

#include <QLabel>

class HistoryView;

class CursorReadout : public QLabel
{
    Q_OBJECT

public:
    // The history's sample index is the record's index in `records`.
    CursorReadout(const HistoryView& history, const ZList<Data>& records, QWidget* parent = nullptr);

private:
    void pointAt(qint64 index);
    void pinAt(qint64 index);
    void showCursors();
    void sampleAt(qint64 index, float (&values)[channelCount]) const;
    const Data& recordAt(qint64 index);

    const HistoryView& history;
    const ZList<Data>& records;
    qint64 pointed = -1;
    qint64 pinned = -1;
    // The record looked up last: records are a list, walked from the nearest
    // of its ends and this one.
    qint64 walkIndex = -1;
    ZListPos walkPos;
    unsigned walkGeneration = 0;
};
