// Fuzz target: arbitrary bytes from the Car Computer's end of a real pseudo-terminal,
// taken by the main window the way its commands take them.
//
// The first byte picks the path (modulo 3):
//   0  live       LiveData; the rest arrives as the live stream and the poll step takes it.
//   1  download   FetchData reads a directory made from the input, then one row of it is
//                 downloaded, its records taken from the input.
//                   row (signed byte), k (modulo 9), Info reply (8), acknowledgement (1),
//                   k directory entries (12 each), acknowledgement (1), the records' bytes
//   2  directory  a directory read: Info reply (8), acknowledgement (1), the entries' bytes.
//
// The simulated Car Computer does not answer: it only puts on the line what the
// input gives, so every read of the window takes input bytes. Each path feeds
// exactly what its reads take, padded where the input is short, so that no read
// waits out the 2 s time-out and no byte is left over for the next input.
#include "CarSimulator.h"
#include "DownloadPlan.h"
#include "Gui.h"
#include "LinkConstants.h"
#include "WDataDirectory.h"
#include "ZList.h"
#include "ZString.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr int recordSize = carlink::dataRecordSize;
constexpr int entrySize = carlink::directoryRecordSize;
// The pseudo-terminal holds 4095 received bytes; a live input fits in it whole.
constexpr std::size_t maxLiveBytes = 3400 - 2 * recordSize;
// Blocks of more records are not downloaded: each record costs a read on the
// line, and a fuzzer that pads thousands of them finds nothing new for it.
constexpr int maxDownloadRecords = 64;
constexpr int maxFuzzedEntries = 8;

// The offscreen platform says that it cannot size windows; that is no news here.
void quietPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
}

carsim::Options quietCarComputer()
{
    carsim::Options options;
    options.pacing = false;
    options.liveRate = 0;
    return options;
}

class Line
{
public:
    Line() : app(argc, argv), sim(quietCarComputer()), gui(startedDevice(sim))
    {
        gui.init(QString::fromLatin1("TralixGui"));
        if (gui.portSession().bytesWaiting() < 0) {
            std::fprintf(stderr, "fuzz_records: the window could not open %s\n", sim.devicePath().c_str());
            std::abort();
        }
    }

    // What arrives next on the line, in order.
    void feed(const Bytes& bytes)
    {
        if (!bytes.empty())
            sim.sendRaw(bytes);
    }

    // Waits until `count` bytes wait in the driver, or they stop coming.
    void waitForBytes(int count)
    {
        sim.waitUntilSent(2000);
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        while (gui.portSession().bytesWaiting() < count && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
    }

    // Whatever the window's reads left on the line goes, so that the next input
    // starts afresh: topped up to whole records and taken by the poll step.
    void drain()
    {
        sim.waitUntilSent(2000);
        int waiting = gui.portSession().bytesWaiting();
        if (waiting <= 0)
            return;
        if (waiting % recordSize != 0) {
            const int missing = recordSize - waiting % recordSize;
            feed(Bytes(std::size_t(missing), 0));
            waitForBytes(waiting + missing);
        }
        for (int guard = 0; guard < 200 && gui.portSession().bytesWaiting() >= recordSize; ++guard)
            gui.doData();
    }

    void endInput()
    {
        drain();
        QCoreApplication::processEvents();
        sim.clearReceived();
    }

    static int argc;
    static char* argv[2];
    QApplication app;
    carsim::CarSimulator sim;
    Gui gui;

private:
    static ZString startedDevice(carsim::CarSimulator& sim)
    {
        if (!sim.start()) {
            std::fprintf(stderr, "fuzz_records: no simulated Car Computer: %s\n", sim.errorText().c_str());
            std::abort();
        }
        // It puts on the line only what sendRaw gives it.
        sim.setAnswering(false);
        return ZString(sim.devicePath().c_str());
    }
};

int Line::argc = 1;
char* Line::argv[2] = {const_cast<char*>("fuzz_records"), nullptr};

Line& line()
{
    // Created once and never destroyed: the simulator's thread and Qt's own
    // singletons are torn down by the process's end.
    static Line* created = [] {
        // The window prints a console line per record.
        if (!std::freopen("/dev/null", "w", stdout))
            std::fprintf(stderr, "fuzz_records: standard output could not be sent to /dev/null\n");
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        qInstallMessageHandler(quietPlatformNotes);
        return new Line;
    }();
    return *created;
}

// Takes bytes off the front of the input; past its end, zeros.
class Input
{
public:
    Input(const std::uint8_t* data, std::size_t size) : at(data), left(size) {}

    std::uint8_t byte()
    {
        if (left == 0)
            return 0;
        --left;
        return *at++;
    }

    Bytes take(std::size_t count)
    {
        Bytes bytes(count, 0);
        const std::size_t n = std::min(count, left);
        std::copy(at, at + n, bytes.begin());
        at += n;
        left -= n;
        return bytes;
    }

    Bytes rest(std::size_t most) { return take(std::min(left, most)); }
    std::size_t remaining() const { return left; }

private:
    const std::uint8_t* at;
    std::size_t left;
};

Info infoOf(const Bytes& reply)
{
    Info info;
    info.DirNumber = std::uint16_t(reply[0] | reply[1] << 8);
    info.DirPos = std::uint16_t(reply[2] | reply[3] << 8);
    info.DataPos = std::int32_t(std::uint32_t(reply[4]) | std::uint32_t(reply[5]) << 8 |
                                std::uint32_t(reply[6]) << 16 | std::uint32_t(reply[7]) << 24);
    return info;
}

// The bytes a directory read takes, made from `entries` (whole entries; a short
// last one is padded with zeros): up to the first entry with a wrong magic, which
// ends the read, else topped up with empty slots to the 64 entries requested.
// `listed` receives the entries the window lists.
Bytes directoryStream(const Bytes& info, std::uint8_t ack, Bytes entries, ZList<Directory>& listed)
{
    Bytes line = info;
    if (infoOf(info).DirNumber == 0)
        return line;  // no directory: only the Info reply is read
    line.push_back(ack);
    entries.resize((entries.size() + entrySize - 1) / entrySize * entrySize, 0);
    const std::size_t requested = std::size_t(carlink::directoryEntriesRequested);
    std::size_t read = 0;
    for (; read < requested && read * entrySize < entries.size(); ++read) {
        Directory entry;
        std::copy(entries.begin() + std::ptrdiff_t(read * entrySize),
                  entries.begin() + std::ptrdiff_t((read + 1) * entrySize), entry.bytes);
        line.insert(line.end(), entry.bytes, entry.bytes + entrySize);
        if (entry.magic() != carlink::recordMagic)
            return line;
        if (!entry.isEmptySlot())
            listed.append(entry);
    }
    const carsim::DirectoryBytes empty = carsim::emptyDirectorySlot();
    for (; read < requested; ++read)
        line.insert(line.end(), empty.begin(), empty.end());
    return line;
}

void live(Line& l, Input& input)
{
    l.gui.liveData();
    Bytes stream = input.rest(maxLiveBytes);
    // Whole records, then two records' worth of zeros: a record the stream
    // left unfinished is finished and taken now, not by the next input.
    stream.resize((stream.size() + recordSize - 1) / recordSize * recordSize + 2 * recordSize, 0);
    l.feed(stream);
    l.waitForBytes(int(stream.size()));
    for (int guard = 0; guard < 200 && l.gui.portSession().bytesWaiting() >= recordSize; ++guard)
        l.gui.doData();
}

void download(Line& l, Input& input)
{
    const int row = std::int8_t(input.byte());
    const std::size_t fuzzedEntries = input.byte() % (maxFuzzedEntries + 1);
    const Bytes info = input.take(carlink::infoReplySize);
    const std::uint8_t directoryAck = input.byte();
    ZList<Directory> listed;
    l.feed(directoryStream(info, directoryAck, input.take(fuzzedEntries * entrySize), listed));
    l.gui.fetchData();
    // Download hides the dialog before the transfer starts.
    l.gui.findChild<WDataDirectory*>()->hide();

    // The same block the window will ask for; a row it has no entry for is
    // refused before anything is read.
    const Block block = blockForRow(listed, row, infoOf(info));
    if (block.valid) {
        if (block.num > maxDownloadRecords)
            return;
        Bytes transfer(1, input.byte());
        const Bytes records = input.take(std::size_t(block.num) * recordSize);
        transfer.insert(transfer.end(), records.begin(), records.end());
        l.feed(transfer);
    }
    ZList<int> rows;
    rows.append(row);
    l.gui.fetchDataDir(rows);
}

void directory(Line& l, Input& input)
{
    // A Car Computer that does not answer sends no Info reply of its own
    // (setInfoReply): the reply is the first bytes fed.
    const Bytes info = input.take(carlink::infoReplySize);
    const std::uint8_t ack = input.byte();
    ZList<Directory> listed;
    l.feed(directoryStream(info, ack, input.rest(std::size_t(carlink::directoryEntriesRequested) * entrySize), listed));
    ZList<ZString> lines;
    l.gui.getDirectory(lines);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    Line& l = line();
    // What the window holds after an input then depends on that input alone
    // (LiveData and FetchData drop the records, the log is emptied here), so that
    // libFuzzer's leak check after each input does not take a log that grows
    // over thousands of inputs for a leak, and give up checking.
    l.gui.findChild<QPlainTextEdit*>()->clear();
    Input input(data, size);
    switch (input.byte() % 3) {
    case 0:
        live(l, input);
        break;
    case 1:
        download(l, input);
        break;
    default:
        directory(l, input);
        break;
    }
    l.endInput();
    return 0;
}
