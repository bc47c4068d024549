#pragma once
// Owner of one standard I/O stream, remembering the name and mode it was
// opened with and how that open went. Reading, writing and positioning pass
// the stdio results straight through; on a closed file they report failure
// (-1) instead of touching a null stream.

#include "ZError.h"
#include "ZString.h"

#include <cstdio>

class ZFile
{
public:
    ZFile();
    ZFile(ZString name, ZString mode);
    ~ZFile();
    ZFile(const ZFile&) = delete;
    ZFile& operator=(const ZFile&) = delete;

    // A stream still held is closed first. The mode goes to fopen unchanged.
    ZError open(ZString name, ZString mode);
    // Success when no stream is held.
    ZError close();
    // Takes over an open stream (closing one still held); name and mode stay.
    ZError attach(FILE* stream);

    FILE* getFile() const { return file; }
    ZError getError() const { return fileError; }

    // Bytes in the file as the system sees it (unflushed output not counted);
    // -1 with no stream or when the status query fails.
    int size();
    int read(void* buf, int nbytes);
    // One line with its line feed, at most readBufferSize - 1 characters; a
    // longer line comes in pieces. 0 at end of file, and `line` is left alone.
    int readString(ZString& line);
    int write(const void* buf, int nbytes);
    int writeString(const ZString& text);
    int seek(int offset, int whence);
    int setVBuf(char* buf, int mode, int size);
    int printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

    static constexpr int readBufferSize = 10240;

private:
    FILE* file;
    ZString fileName;
    ZString fileMode;
    ZError fileError;
};
