#include "ZFile.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <sys/stat.h>

ZFile::ZFile() : file(nullptr) {}

ZFile::ZFile(ZString name, ZString mode) : file(nullptr)
{
    fileError = open(name, mode);
}

ZFile::~ZFile()
{
    close();
}

ZError ZFile::open(ZString name, ZString mode)
{
    ZError result;
    close();
    fileName = name;
    fileMode = mode;
    file = std::fopen(name.cStr(), mode.cStr());
    if (!file) {
        const int reason = errno;
        result.set(ZString("Cannot open file: ") + name + ": " + std::strerror(reason));
    }
    fileError = result;
    return result;
}

ZError ZFile::close()
{
    ZError result;
    if (file) {
        if (std::fclose(file) != 0) {
            const int reason = errno;
            result.set(std::strerror(reason));
        }
        file = nullptr;
    }
    return result;
}

ZError ZFile::attach(FILE* stream)
{
    if (file != stream)
        close();
    file = stream;
    fileError = ZError();
    return ZError();
}

int ZFile::size()
{
    struct stat status;
    if (!file || fstat(fileno(file), &status) != 0 || status.st_size > INT_MAX)
        return -1;
    return int(status.st_size);
}

int ZFile::read(void* buf, int nbytes)
{
    if (!file || nbytes < 0)
        return -1;
    return int(std::fread(buf, 1, size_t(nbytes), file));
}

int ZFile::readString(ZString& line)
{
    char buffer[readBufferSize];
    if (!file || !std::fgets(buffer, sizeof buffer, file))
        return 0;
    line = buffer;
    return line.length();
}

int ZFile::write(const void* buf, int nbytes)
{
    if (!file || nbytes < 0)
        return -1;
    return int(std::fwrite(buf, 1, size_t(nbytes), file));
}

int ZFile::writeString(const ZString& text)
{
    return file ? std::fputs(text.cStr(), file) : EOF;
}

int ZFile::seek(int offset, int whence)
{
    return file ? std::fseek(file, offset, whence) : -1;
}

int ZFile::setVBuf(char* buf, int mode, int size)
{
    if (!file || size < 0)
        return -1;
    return std::setvbuf(file, buf, mode, size_t(size));
}

int ZFile::printf(const char* format, ...)
{
    if (!file)
        return -1;
    va_list args;
    va_start(args, format);
    const int written = std::vfprintf(file, format, args);
    va_end(args);
    return written;
}
