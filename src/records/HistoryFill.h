#pragma once
// The channel histories of an opened file's records, made a slice at a time
// before they take the place of what the window holds. The window goes on
// answering between slices, and a cancelled Open leaves the recording as it
// was: nothing of it changes until Recording::replace takes the whole fill.

#include "ExportClock.h"
#include "RecordList.h"
#include "SampleHistory.h"

#include <ctime>
#include <vector>

// One record's exact samples, Time as `seconds`, at the end of each history.
void appendSamples(std::vector<SampleHistory>& histories, const Data& record, float seconds);

class HistoryFill
{
public:
    // `records` must outlive the fill and not change meanwhile.
    explicit HistoryFill(const RecordList& records);

    // Samples up to `count` more records; true once every record is in.
    bool step(std::size_t count);
    bool done() const { return next == records.size(); }
    std::size_t filled() const { return next; }

private:
    friend class Recording;

    const RecordList& records;
    std::vector<SampleHistory> histories;
    ExportClock clock;
    std::time_t first = 0;
    std::size_t next = 0;
};
