#pragma once
// The summary engine: follows a recording as records are appended (running
// integrals, running channel sums, a history of power) and answers for any
// stretch of it in about the same few microseconds however long it is.

#include "ChannelSums.h"
#include "DriveIntegrals.h"
#include "DriveSummary.h"
#include "SampleHistory.h"

#include <QObject>

class Recording;

class DriveAnalysis : public QObject
{
    Q_OBJECT

public:
    explicit DriveAnalysis(const Recording& recording, QObject* parent = nullptr);

    const Recording& recording() const { return held; }
    // Records [first, last), kept inside the recording.
    DriveSummary summarize(qint64 first, qint64 last);
    DriveSummary summarizeAll();

private:
    // Takes in the records appended since the last time, or starts over
    // after the recording was cleared or replaced.
    void catchUp();
    void restart();
    ChannelStats stats(const SampleHistory& history, qint64 first, qint64 last) const;

    const Recording& held;
    DriveIntegrals integrals;
    ChannelSums sums;
    SampleHistory power;  // W: Voltage x Current
    unsigned seenGeneration = 0;
};
