#pragma once
// A file written whole or not at all: the bytes go to a temporary file beside
// it, flushed to the disk and closed, which then takes the file's place. A
// full disk never leaves a cut-short file behind, nor destroys the old one.

#include "ZError.h"
#include "ZString.h"

#include <cstdio>
#include <functional>

// Which step failed: the ZError's number; its text is the system's reason
// ("No space left on device").
constexpr int wholeFileNotOpened = 1;   // the temporary file could not be made
constexpr int wholeFileNotWritten = 2;  // writing, flushing, closing or the rename failed

// Writes the content to the stream it is given; false when a write failed,
// errno saying why.
using WholeFileContent = std::function<bool(std::FILE* file)>;

// The temporary file's name: the target's, with this process's id and ".tmp".
ZString temporaryFileFor(const ZString& fileName);

// Writes `fileName` whole. On failure the temporary file is gone and the old
// file, if any, is as it was.
ZError writeWholeFile(const ZString& fileName, const WholeFileContent& content);
