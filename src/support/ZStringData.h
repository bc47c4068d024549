#pragma once
// The buffer that copies of one ZString share. Only ZString touches it.

class ZStringData
{
public:
    // A private record (refs 1) whose buffer holds at least `size` bytes.
    explicit ZStringData(int size);
    ~ZStringData();
    ZStringData& operator=(const ZStringData&) = delete;

    // Grows the buffer in steps of 16 bytes (never shrinks), then sets `used`.
    void setUsed(int n);
    // The record to write to: this one when it is private, otherwise a deep
    // copy, and this record loses one holder.
    ZStringData* unshare();
    void addRef() { ++refs; }
    // One holder less; the buffer goes with the last one. The caller deletes
    // the record when 0 comes back.
    int release();

    char* data;     // NUL-terminated text, from malloc/realloc
    int used;       // text length + 1
    int allocated;  // bytes behind `data`, a multiple of 16
    int refs;       // ZStrings sharing this record

    static constexpr int growthStep = 16;

private:
    // Deep copy with a buffer of its own; see unshare().
    ZStringData(const ZStringData& other);
};
