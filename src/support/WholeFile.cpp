#include "WholeFile.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// errno after a failed call that may not have set it.
int lastError()
{
    return errno != 0 ? errno : EIO;
}

} // namespace

ZString temporaryFileFor(const ZString& fileName)
{
    ZString name;
    name.format("%s.%ld.tmp", fileName.cStr(), long(getpid()));
    return name;
}

ZError writeWholeFile(const ZString& fileName, const WholeFileContent& content)
{
    const ZString temp = temporaryFileFor(fileName);
    std::FILE* file = std::fopen(temp.cStr(), "w");
    if (!file)
        return ZError(wholeFileNotOpened, std::strerror(errno));

    errno = 0;
    int error = 0;
    if (!content(file) || std::fflush(file) != 0)
        error = lastError();
    // A device (the tests' full disk) cannot be synced: EINVAL says so.
    else if (fsync(fileno(file)) != 0 && errno != EINVAL)
        error = errno;
    if (std::fclose(file) != 0 && error == 0)
        error = lastError();
    if (error == 0 && std::rename(temp.cStr(), fileName.cStr()) != 0)
        error = errno;
    if (error != 0) {
        std::remove(temp.cStr());
        return ZError(wholeFileNotWritten, std::strerror(error));
    }
    return ZError();
}
