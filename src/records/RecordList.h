#pragma once
// The records a window holds, in arrival order, by index. A deque: appending
// never moves what is held, and millions of records take no second copy.

#include "CarRecords.h"

#include <deque>

using RecordList = std::deque<Data>;
