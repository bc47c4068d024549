#pragma once
// What the data directory dialog asks of the window that opens it: the rows to
// list, and the download of the rows the user picked.

#include "ZList.h"
#include "ZString.h"

class DirectorySource
{
public:
    virtual ~DirectorySource() = default;

    // Appends one text per stored block, in directory order, to the empty
    // `directory`; nothing when the Car Computer keeps no directory or the read
    // fails before its first entry.
    virtual void getDirectory(ZList<ZString>& directory) = 0;
    // Downloads the blocks behind the given rows, in ascending order. Returns
    // when the download has ended.
    virtual void fetchDataDir(ZList<int> entries) = 0;
};
