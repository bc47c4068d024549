#include "CsvImport.h"

#include "CsvParser.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t pieceSize = 64 * 1024;

class Descriptor
{
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    const int fd;
};

CsvReadResult fileFault(const char* format, const ZString& fileName, const char* detail = "")
{
    CsvReadResult result;
    result.ok = false;
    result.reason.format(format, fileName.cStr(), detail);
    return result;
}

// What makes a path no file to read records from, or nullptr. Asked before
// opening too: opening a serial device, say, would already change its lines.
const char* notAFile(const struct stat& status)
{
    if (S_ISDIR(status.st_mode))
        return "%s is a folder, not a file";
    if (!S_ISREG(status.st_mode))
        return "%s is a device or pipe, not a file";
    return nullptr;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

CsvReadResult changedWhileRead(const ZString& fileName)
{
    return fileFault("%s changed while it was read; open it again once it is complete", fileName);
}

CsvReadResult cancelled()
{
    CsvReadResult result;
    result.ok = false;
    result.cancelled = true;
    result.reason = "cancelled";
    return result;
}

CsvReadResult readInto(const ZString& fileName, RecordList& records, const CsvReadProgress& progress)
{
    struct stat before;
    if (stat(fileName.cStr(), &before) != 0)
        return fileFault("Cannot open file: %s: %s", fileName, std::strerror(errno));
    if (const char* fault = notAFile(before))
        return fileFault(fault, fileName);

    const Descriptor file(open(fileName.cStr(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.fd < 0)
        return fileFault("Cannot open file: %s: %s", fileName, std::strerror(errno));
    if (fstat(file.fd, &before) != 0)
        return fileFault("Cannot read file: %s: %s", fileName, std::strerror(errno));
    if (const char* fault = notAFile(before))
        return fileFault(fault, fileName);

    CsvParser parser;
    const std::unique_ptr<char[]> piece(new char[pieceSize]);
    long long total = 0;
    for (;;) {
        const ssize_t got = read(file.fd, piece.get(), pieceSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fileFault("Cannot read file: %s: %s", fileName, std::strerror(errno));
        if (got == 0)
            break;
        total += got;
        if (total > before.st_size)
            return changedWhileRead(fileName);
        if (!parser.feed(piece.get(), std::size_t(got)))
            return parser.result();
        if (progress && !progress(total, before.st_size))
            return cancelled();
    }

    struct stat after;
    if (fstat(file.fd, &after) != 0)
        return fileFault("Cannot read file: %s: %s", fileName, std::strerror(errno));
    if (total != before.st_size || !sameFile(before, after))
        return changedWhileRead(fileName);
    if (!parser.finish())
        return parser.result();
    records = std::move(parser.records());
    return parser.result();
}

} // namespace

CsvReadResult readCsv(const ZString& fileName, RecordList& records, const CsvReadProgress& progress)
{
    const CsvReadResult result = readInto(fileName, records, progress);
    // A refused file can have left millions of parsed records' small blocks
    // free but kept by the allocator; the window would stay that much larger.
    if (!result.ok)
        malloc_trim(0);
    return result;
}

CsvReadResult parseCsv(const char* text, std::size_t size, RecordList& records)
{
    CsvParser parser;
    if (!parser.feed(text, size) || !parser.finish())
        return parser.result();
    records = std::move(parser.records());
    return parser.result();
}
