// Saving the received records to cardata.csv.
#include "Gui.h"

#include "CsvExport.h"

#include <cstdio>

void Gui::save()
{
    ZError err;
    if ((err = writeCsv(records, ZString(csvFileName)))) {
        if (err.getNumber() == csvCannotOpen)
            std::fprintf(stderr, "Error: Unable to open file cardata.csv\n");
        else
            std::fprintf(stderr, "Error: Unable to write file cardata.csv: %s\n", err.getString().cStr());
        note(QString::fromLatin1("Save failed: %1").arg(QString::fromLatin1(err.getString().cStr())), outcomeMs);
        return;
    }
    note(QString::fromLatin1("Saved %1 records to cardata.csv").arg(records.count()), outcomeMs);
}
