// Fuzz target: arbitrary bytes from the Car Computer, taken the way the program
// takes them, below the window: the record intake, the directory entries and the
// download plan, and the export of every record kept to cardata.csv.
//
// The first byte picks the path (modulo 3):
//   0  live       the rest is the live stream. It arrives in ticks whose sizes
//                 come from the stream's own bytes and from the first byte / 3,
//                 with quiet ticks in between; the line ends after the last one.
//   1  download   a directory made from the input, then one row of it downloaded:
//                   row (signed byte), k (modulo 9), Info reply (8), acknowledgement (1),
//                   k directory entries (12 each), acknowledgement (1), the records' bytes
//                 Each record read takes the next 34 bytes; where the input runs
//                 out a read gets what is left, then nothing, as a silent line gives.
//   2  directory  Info reply (8), acknowledgement (1), up to 64 entries (12 each).
//
// A broken promise (a byte not accounted for, a whole record that is none, an
// export that fails) prints "fuzz_records: broken promise: ..." and aborts.
#include "CsvExport.h"
#include "DownloadPlan.h"
#include "LinkConstants.h"
#include "RecordIntake.h"
#include "RecordText.h"
#include "Recording.h"
#include "ZList.h"
#include "ZString.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int recordSize = carlink::dataRecordSize;
constexpr int entrySize = carlink::directoryRecordSize;
// Blocks of more records are cut here: the fuzzer finds nothing new in thousands.
constexpr int maxDownloadRecords = 64;
constexpr int maxFuzzedEntries = 8;

[[noreturn]] void brokenPromise(const char* what, long a = 0, long b = 0)
{
    std::fprintf(stderr, "fuzz_records: broken promise: %s (%ld, %ld)\n", what, a, b);
    std::abort();
}

// The folder the export writes to: in memory where the system offers one, so
// that the export's sync costs nothing. Removed at the process's end.
class ExportFolder
{
public:
    ExportFolder()
    {
        std::error_code error;
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = tmp && *tmp ? tmp : "/tmp";
        if (std::filesystem::is_directory("/dev/shm", error))
            pattern = "/dev/shm";
        pattern += "/fuzz_records-XXXXXX";
        if (!mkdtemp(pattern.data()))
            brokenPromise("no temporary folder for the export");
        folder = pattern;
        csv = ZString((folder + "/cardata.csv").c_str());
    }
    ~ExportFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string folder;
    ZString csv;
};

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

    Bytes rest() { return take(left); }
    std::size_t remaining() const { return left; }

private:
    const std::uint8_t* at;
    std::size_t left;
};

// What the intake kept, checked as it comes.
class Keeper
{
public:

    // Keeps a whole record once it is checked and made into text; returns the answer's kind.
    IntakeResult::Kind take(const IntakeResult& r)
    {
        if (r.kind == IntakeResult::Kind::Whole) {
            if (r.record.magic() != carlink::recordMagic)
                brokenPromise("a whole record without the magic", r.record.magic());
            recording.add(r.record, r.stamp);
            const float seconds = recording.sample(recording.count() - 1, Time);
            if (seconds != float(r.stamp - recording.timeOrigin()))
                brokenPromise("Time is not seconds since the origin", long(r.stamp), long(recording.timeOrigin()));
            float values[channelCount];
            liveChannelValues(r.record, seconds, values);
            logLine(r.record, values);
            records.push_back(r.record);
        }
        return r.kind;
    }

    RecordList records;
    Recording recording;
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

// The entries a directory read lists: up to a wrong magic, empty slots left out.
ZList<Directory> listedEntries(const Info& info, const Bytes& entries)
{
    ZList<Directory> listed;
    if (info.DirNumber == 0)
        return listed;
    (void)directoryReadFrom(info.DirPos, info.DirNumber);
    struct tm presentMoment = {};
    for (std::size_t at = 0; at + entrySize <= entries.size(); at += entrySize) {
        Directory entry;
        std::copy(entries.begin() + std::ptrdiff_t(at), entries.begin() + std::ptrdiff_t(at + entrySize), entry.bytes);
        if (entry.magic() != carlink::recordMagic)
            break;
        if (entry.isEmptySlot())
            continue;
        entry.decode(presentMoment);
        directoryLine(entry);
        listed.append(entry);
    }
    return listed;
}

void checkRows(const ZList<Directory>& listed, const Info& info, int row)
{
    const bool wholeStore = info.DirNumber == 0 || listed.count() == 0;
    const bool valid = blockForRow(listed, row, info).valid;
    if (valid != (wholeStore || (row >= 0 && row < listed.count())))
        brokenPromise("a row's block is valid or not against its entries", row, listed.count());
}

void live(std::uint8_t first, Input& input, RecordIntake& intake, Keeper& keeper)
{
    const Bytes stream = input.rest();
    const int spread = first / 3;
    long accounted = 0;
    auto drain = [&](bool quiet) {
        for (;;) {
            const IntakeResult r = intake.nextLive(quiet);
            if (keeper.take(r) == IntakeResult::Kind::Nothing)
                return;
            accounted += r.kind == IntakeResult::Kind::Whole ? recordSize : r.bytes;
            if (r.kind == IntakeResult::Kind::Broken && r.bytes <= 0)
                brokenPromise("a broken run of no bytes", r.bytes);
        }
    };
    for (std::size_t at = 0; at < stream.size();) {
        const std::uint8_t shape = std::uint8_t(stream[at] + spread);
        const std::size_t tick = 1 + (shape * 7u + unsigned(spread)) % 80;
        const std::size_t size = std::min(tick, stream.size() - at);
        intake.addLive(stream.data() + at, int(size));
        at += size;
        drain(false);
        if (shape % 5 == 0)
            drain(true);
    }
    for (;;) {
        const int waiting = intake.pending();
        const IntakeResult r = intake.nextAtLineEnd();
        if (keeper.take(r) == IntakeResult::Kind::Nothing) {
            accounted += waiting;
            break;
        }
        accounted += r.kind == IntakeResult::Kind::Whole ? recordSize : r.bytes;
    }
    if (accounted != long(stream.size()) || intake.pending() != 0)
        brokenPromise("every live byte is a record, a broken run or let go at the line's end", accounted,
                      long(stream.size()));
}

void download(Input& input, RecordIntake& intake, Keeper& keeper)
{
    const int row = std::int8_t(input.byte());
    const std::size_t fuzzedEntries = input.byte() % (maxFuzzedEntries + 1);
    const Info info = infoOf(input.take(carlink::infoReplySize));
    input.byte();  // acknowledgement
    const ZList<Directory> listed = listedEntries(info, input.take(fuzzedEntries * entrySize));
    checkRows(listed, info, row);
    const Block block = blockForRow(listed, row, info);
    if (!block.valid)
        return;
    input.byte();  // acknowledgement
    intake.startRun();
    for (int k = 0; k < std::min<int>(block.num, maxDownloadRecords); ++k) {
        const int received = int(std::min<std::size_t>(input.remaining(), recordSize));
        const Bytes bytes = input.take(std::size_t(received));
        Data raw;
        std::copy(bytes.begin(), bytes.end(), raw.bytes);
        const IntakeResult r = intake.takeRead(raw, received);
        const bool whole = received == recordSize && raw.magic() == carlink::recordMagic;
        if (keeper.take(r) != (whole ? IntakeResult::Kind::Whole
                                     : received > 0 ? IntakeResult::Kind::Broken : IntakeResult::Kind::Nothing) ||
            (!whole && r.bytes != received))
            brokenPromise("a read is whole, broken or nothing by its length and magic", received, r.bytes);
        if (r.kind == IntakeResult::Kind::Nothing)
            return;  // the Car Computer has gone quiet: the block is given up
    }
}

void directory(Input& input)
{
    const Info info = infoOf(input.take(carlink::infoReplySize));
    const int row = std::int8_t(input.byte());
    const std::size_t most = std::size_t(carlink::directoryEntriesRequested) * entrySize;
    const ZList<Directory> listed = listedEntries(info, input.take(std::min(input.remaining(), most)));
    for (int r : {row, -1, 0, listed.count() - 1, listed.count()})
        checkRows(listed, info, r);
}

void exportRecords(const RecordList& records)
{
    static ExportFolder folder;
    ZError err;
    if (int(records.size()) > 0 && (err = writeCsv(records, folder.csv)))
        brokenPromise(err.getString().cStr());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // Central Europe's rules written out: a zone with summer time whose every
    // mktime does not look at a zone file again.
    static const bool zoneSet = setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1) == 0;
    (void)zoneSet;
    // The records kept, the time origin and the framer belong to this input alone.
    RecordIntake intake;
    Keeper keeper;
    Input input(data, size);
    const std::uint8_t first = input.byte();
    switch (first % 3) {
    case 0:
        live(first, input, intake, keeper);
        break;
    case 1:
        download(input, intake, keeper);
        break;
    default:
        directory(input);
        break;
    }
    exportRecords(keeper.records);
    return 0;
}
