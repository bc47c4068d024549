#include "CarLink.h"

#include <cstring>

namespace carlink {

namespace {

int sendByte(ZSerial& port, unsigned char byte)
{
    return port.write(&byte, 1);
}

int sendCommand(ZSerial& port, char command)
{
    return sendByte(port, static_cast<unsigned char>(command));
}

void sendU32(ZSerial& port, std::uint32_t value)
{
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    port.write(bytes, sizeof bytes);
}

void sendU16(ZSerial& port, std::uint16_t value)
{
    const unsigned char bytes[2] = {static_cast<unsigned char>(value),
                                    static_cast<unsigned char>(value >> 8)};
    port.write(bytes, sizeof bytes);
}

// The acknowledgement's value carries no meaning; only its arrival does.
int readAcknowledgement(ZSerial& port)
{
    unsigned char ack;
    return port.read(&ack, 1);
}

// 'd', the acknowledgement, then the position and the count.
void startTransfer(ZSerial& port, std::uint32_t position, std::uint16_t num)
{
    sendCommand(port, 'd');
    readAcknowledgement(port);
    sendU32(port, position);
    sendU16(port, num);
}

} // namespace

int sendLiveStart(ZSerial& port) { return sendCommand(port, 'c'); }
int sendLiveStop(ZSerial& port) { return sendCommand(port, 'r'); }
int sendReset(ZSerial& port) { return sendCommand(port, 'R'); }
int sendFactoryReset(ZSerial& port) { return sendCommand(port, 'Z'); }
int requestNext(ZSerial& port) { return sendCommand(port, 'n'); }

void readInfo(ZSerial& port, Info& info)
{
    sendCommand(port, 'i');
    unsigned char b[4];
    // A short read counts as failed: half a field is no value at all.
    if (port.read(b, 2) == 2)
        info.DirNumber = std::uint16_t(b[0] | b[1] << 8);
    if (port.read(b, 2) == 2)
        info.DirPos = std::uint16_t(b[0] | b[1] << 8);
    if (port.read(b, 4) == 4)
        info.DataPos = std::int32_t(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                                    std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24);
}

void startDirectoryTransfer(ZSerial& port, std::uint32_t from, std::uint16_t num)
{
    startTransfer(port, from, num);
}

int readDirectoryEntry(ZSerial& port, Directory& entry)
{
    requestNext(port);
    // Bytes that a short read leaves unfilled read as zero rather than as the last entry.
    std::memset(entry.bytes, 0, sizeof entry.bytes);
    return port.read(entry.bytes, directoryRecordSize);
}

void startDataTransfer(ZSerial& port, std::int32_t start, std::uint16_t num)
{
    startTransfer(port, static_cast<std::uint32_t>(start), num);
    requestNext(port);
}

void startOlderTransfer(ZSerial& port)
{
    sendCommand(port, 'd');
    requestNext(port);
}

int readDataRecord(ZSerial& port, Data& record)
{
    std::memset(record.bytes, 0, sizeof record.bytes);
    return port.read(record.bytes, dataRecordSize);
}

int setClock(ZSerial& port, const struct tm& localTime)
{
    const unsigned char message[] = {
        't',
        binToBcd(unsigned(localTime.tm_sec)),
        binToBcd(unsigned(localTime.tm_min)),
        binToBcd(unsigned(localTime.tm_hour)),
        binToBcd(unsigned(localTime.tm_mday)),
        binToBcd(unsigned(localTime.tm_mon + 1)),
        binToBcd(unsigned(localTime.tm_year - 100)),
    };
    // A Car Computer that stops acknowledging gets nothing more: the message
    // cannot complete, and waiting on for each byte would only freeze the window.
    for (unsigned char byte : message)
        if (sendByte(port, byte) != 1 || readAcknowledgement(port) <= 0)
            return -1;
    return 0;
}

} // namespace carlink
