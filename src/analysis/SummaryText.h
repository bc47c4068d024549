#pragma once
// The summary as rows of figures, one list that the panel, the copied text
// and the exported CSV all read, so they never disagree.

#include "DriveSummary.h"

#include <QString>

#include <vector>

struct SummaryItem
{
    QString name;
    QString unit;  // empty: a count
    double value;  // NaN: the stretch cannot say
    int decimals;
    bool located = false;  // a figure found at a record: a min, a max, a peak
    qint64 record = -1;    // that record, if any
};

std::vector<SummaryItem> summaryItems(const DriveSummary& summary);
// A figure as shown and exported: C-locale digits, empty for NaN.
QString figure(const SummaryItem& item);
// Lines of "name<TAB>figure unit", under a first line naming `range`.
QString summaryText(const DriveSummary& summary, const QString& range);
// A header of names with their units in brackets, then one row of figures;
// a figure found at a record has that record's index in the next column.
QString summaryCsv(const DriveSummary& summary);
