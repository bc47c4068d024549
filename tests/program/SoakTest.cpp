// A fault soak: the real window, live, against a Car Computer that streams records
// without pause and throws in every fault it knows at random (wrong magic, records
// cut short, bursts of garbage, silences, the line closing and coming back). The
// window must keep running and answering, keep every whole record that arrived
// exactly once and in order, keep no broken one, export them all, and not grow.
//
// CI runs a bounded soak. By hand, longer or with another seed:
//   TRALIX_SOAK_RECORDS=200000 TRALIX_SOAK_SEED=9 program_tests --gtest_filter='Soak.*'
// The figures go to standard output at the end, passed or not.
#include "CarLink.h"
#include "CarSimRecords.h"
#include "CsvExport.h"
#include "MainWindowFixture.h"
#include "RecordText.h"
#include "ZSerial.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <unordered_map>

#include <chrono>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define SOAK_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOAK_UNDER_ASAN 1
#endif
#endif

namespace {

using carsim::Departure;
using carsim::SentRecord;

// 20,000 records take about half a minute, in the AddressSanitizer build too: the
// window's 100 ms poll takes at most a driver queue of records per tick. Seed 4
// brings every fault and only two silences and three unplugs, which cost their time.
constexpr int defaultSoakRecords = 20000;
constexpr unsigned defaultSoakSeed = 4;
// Longer than any silence or reopening of the line, far shorter than a hung window.
constexpr qint64 longestGapAllowedMs = 5000;
// The memory baseline waits until the log view holds its most lines; after that
// only the record list (and here the simulator's log of what it sent) may grow.
constexpr int baselineRecords = LiveView::logViewLines + 500;
// The full log view's text takes one step of about 2 MB some 8,000 lines later, and stays.
constexpr long memorySlackKb = 6 * 1024;
// A record in the window's list (64 bytes) and one entry in the simulator's log of sends (32).
constexpr long bytesPerRecordAllowed = 128;

long environmentNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end && *end == '\0' && value > 0 ? value : fallback;
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

double megabytes(long kilobytes)
{
    return double(kilobytes) / 1024.0;
}

// The record as it was on the wire: the window keeps its calendar bytes decoded.
carsim::DataBytes wireBytes(const Data& record)
{
    carsim::DataBytes raw;
    std::copy(record.bytes, record.bytes + carsim::dataRecordBytes, raw.begin());
    raw[2] = carsim::toBcd(record.sec());
    raw[3] = carsim::toBcd(record.min());
    raw[4] = carsim::toBcd(record.hour());
    raw[5] = carsim::toBcd(record.day());
    raw[6] = carsim::toBcd(record.month());
    raw[7] = carsim::toBcd(record.year() - 100);
    return raw;
}

const char* departureName(Departure d)
{
    switch (d) {
    case Departure::WellFormed: return "well-formed";
    case Departure::WrongMagic: return "wrong magic";
    case Departure::CutShort: return "cut short";
    }
    return "?";
}

std::string describe(const SentRecord& r)
{
    std::ostringstream text;
    text << "#" << r.sequence << " " << departureName(r.departure);
    if (r.departure == Departure::CutShort)
        text << " to " << int(r.bytes) << " bytes";
    if (r.garbageBefore)
        text << ", after " << int(r.garbageBefore) << " garbage bytes";
    if (r.silenceBefore)
        text << ", after a silence";
    if (r.unplugAfter)
        text << ", the line closed after it";
    if (r.lostOnLine)
        text << ", lost on the line";
    return text.str();
}

std::string hex(const unsigned char* bytes, int count)
{
    std::string text;
    char b[4];
    for (int i = 0; i < count; ++i) {
        std::snprintf(b, sizeof b, "%02X ", bytes[i]);
        text += b;
    }
    return text;
}

// Findings of one kind: how many, and the first few told in full.
struct Finding
{
    long count = 0;
    std::vector<std::string> examples;

    void add(const std::string& example, long weight = 1)
    {
        count += weight;
        if (examples.size() < 8)
            examples.push_back(example);
    }
    std::string report(const char* what) const
    {
        std::string text = std::to_string(count) + " " + what;
        for (const std::string& e : examples)
            text += "\n    " + e;
        return text;
    }
};

// The records sent around sequence number `sequence`, for a report.
std::string neighbourhood(const std::vector<SentRecord>& sent,
                          const std::unordered_map<std::uint32_t, std::size_t>& at, std::uint32_t sequence)
{
    auto found = at.find(sequence);
    if (found == at.end())
        return "never sent";
    std::string text;
    const std::size_t i = found->second;
    for (std::size_t k = i >= 2 ? i - 2 : 0; k <= i + 1 && k < sent.size(); ++k)
        text += (k == i ? "[" : "") + describe(sent[k]) + (k == i ? "]" : "") + "; ";
    return text;
}

// Which record sent a broken record kept mostly came from: its counter may be
// whole (cut at its end), or its bytes may sit a few places off.
std::string whoseBytes(const Data& record, const std::vector<SentRecord>& sent,
                       const std::unordered_map<std::uint32_t, std::size_t>& at)
{
    for (int shift = 0; shift <= 8; ++shift)
        for (int sign : {1, -1}) {
            unsigned char moved[carsim::dataRecordBytes] = {};
            for (int k = 0; k < carsim::dataRecordBytes; ++k) {
                const int from = k - sign * shift;
                moved[k] = from >= 0 && from < carsim::dataRecordBytes ? record.bytes[from] : 0;
            }
            std::uint32_t sequence;
            if (carsim::readSequence(moved, sequence) && at.count(sequence))
                return "the bytes of " + describe(sent[at.at(sequence)]) + ", " +
                       (shift ? "moved " + std::to_string(sign * shift) + " places" : "in place") +
                       "; around it: " + neighbourhood(sent, at, sequence);
        }
    std::uint32_t counter = 0;
    carsim::readSequence(record.bytes, counter);
    if (at.count(counter))
        return "its counter is that of " + describe(sent[at.at(counter)]) + "; around it: " +
               neighbourhood(sent, at, counter);
    return "no record sent matches it";
}

// What the window did while the Car Computer streamed.
struct Drive
{
    bool finished = false;
    qint64 streamingMs = 0;
    qint64 longestGapMs = 0;
    long baselineKb = -1;
    int baselineAt = 0;
    long endKb = -1;
    std::string memoryTrail;  // resident memory at every tenth of the run
    int accepted = 0;
    std::string consoleOut;
    std::string consoleErr;
};

// The records sent, set against those the window kept and cardata.csv.
struct Reconciliation
{
    std::vector<SentRecord> sent;  // the live ones, in order
    long wellFormed = 0, arrived = 0, lostOnLine = 0, wrongMagic = 0, cutShort = 0;
    long keptThoughLost = 0;
    std::size_t kept = 0;
    std::size_t exportedLines = 0;
    Finding mangled, unknown, malformedKept, changed, twice, outOfOrder, missing, csvWrong;
};

class Soak : public MainWindow
{
protected:
    void SetUp() override
    {
        records = int(environmentNumber("TRALIX_SOAK_RECORDS", defaultSoakRecords));
        seed = unsigned(environmentNumber("TRALIX_SOAK_SEED", defaultSoakSeed));
        enterWorkFolder();

        carsim::Options options;
        options.pacing = false;
        options.liveRate = 0;
        options.logLiveRecords = false;
        options.liveRecordLimit = records;
        // The window opens this name, and opens it again after the line came back.
        options.linkPath = workFolder.filePath("carcomputer").toStdString();
        options.faults.seed = seed;
        options.faults.chaos.on = true;
        sim = std::make_unique<carsim::CarSimulator>(options);
        // Records stamped at second 41 begin "AAA", the magic and then a seconds byte
        // of 0x41: the clock starts so that the stream passes through such a second.
        carsim::Stamp clock = carsim::localStampNow();
        clock.second = 35;
        sim->setClock(clock);
        ASSERT_TRUE(sim->start()) << sim->errorText();
        openWindow(options.linkPath);
    }

    void TearDown() override
    {
        MainWindow::TearDown();
        // The console is the test's own again: the figures go out, passed or not.
        std::printf("%s", figures.c_str());
        std::fflush(stdout);
    }

    Drive drive();
    Reconciliation reconcile(const carsim::SendLog& log);
    void report(const Drive& run, const Reconciliation& found, const carsim::SendLog& log);

    void figure(const char* name, const std::string& value)
    {
        char label[64];
        std::snprintf(label, sizeof label, "soak: %-26s ", name);
        figures += label + value + "\n";
    }

    int records = defaultSoakRecords;
    unsigned seed = defaultSoakSeed;
    std::string figures;
};

// LiveData until the Car Computer has sent every record and the window has
// taken what arrived whole; then Stop and Save.
Drive Soak::drive()
{
    Drive run;
    QElapsedTimer runTime;
    runTime.start();
    const qint64 deadlineMs = 60000 + qint64(records) * 4;

    // The window's own 100 ms poll takes the records; a 50 ms beat of the same
    // event loop measures how long the loop ever went without turning.
    QEventLoop loop;
    QTimer beat;
    beat.setInterval(50);
    QElapsedTimer sinceBeat;
    int lastCount = -1;
    QElapsedTimer sinceChange;
    const int trailStep = std::max(records / 10, 1);
    int nextTrailAt = trailStep;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        run.longestGapMs = std::max(run.longestGapMs, sinceBeat.restart());
        const int accepted = int(gui->contents().records.size());
        if (accepted >= nextTrailAt) {
            char point[48];
            std::snprintf(point, sizeof point, "%s%d: %.1f", run.memoryTrail.empty() ? "" : ", ", accepted,
                          megabytes(residentKilobytes()));
            run.memoryTrail += point;
            nextTrailAt = (accepted / trailStep + 1) * trailStep;
        }
        if (run.baselineKb < 0 && accepted >= std::min(baselineRecords, records / 2)) {
            run.baselineKb = residentKilobytes();
            run.baselineAt = accepted;
        }
        if (accepted != lastCount) {
            lastCount = accepted;
            sinceChange.restart();
        }
        // Done once the Car Computer has said all it will and the window, its port
        // open, has taken everything whole that waits for it.
        const int waiting = gui->portSession().bytesWaiting();
        run.finished = sim->liveRecordsSent() >= records && sim->isIdle() && sinceChange.elapsed() > 1000 &&
                       waiting >= 0 && waiting < carlink::dataRecordSize;
        if (run.finished || runTime.elapsed() > deadlineMs)
            loop.quit();
    });

    button("LiveData")->click();
    sinceBeat.start();
    sinceChange.start();
    beat.start();
    loop.exec();
    beat.stop();
    run.endKb = residentKilobytes();
    run.streamingMs = runTime.elapsed();

    button("Stop")->click();
    waitUntil([] { return false; }, 300);
    run.accepted = int(gui->contents().records.size());
    button("Save")->click();
    run.consoleOut = out();
    run.consoleErr = err();
    EXPECT_TRUE(run.finished) << "the soak did not end within " << deadlineMs / 1000 << " s: "
                              << sim->liveRecordsSent() << " of " << records << " records sent, " << run.accepted
                              << " accepted, " << gui->portSession().bytesWaiting() << " bytes waiting";
    return run;
}

// Every record kept against the simulator's account of what it sent, and
// every line of cardata.csv against its record.
Reconciliation Soak::reconcile(const carsim::SendLog& log)
{
    Reconciliation found;
    std::vector<SentRecord>& sent = found.sent;
    for (const SentRecord& r : log.records)
        if (r.live)
            sent.push_back(r);
    std::unordered_map<std::uint32_t, std::size_t> sentAt;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const SentRecord& r = sent[i];
        sentAt[r.sequence] = i;
        found.wellFormed += r.departure == Departure::WellFormed;
        found.arrived += r.arrived();
        found.lostOnLine += r.departure == Departure::WellFormed && r.lostOnLine;
        found.wrongMagic += r.departure == Departure::WrongMagic;
        found.cutShort += r.departure == Departure::CutShort;
    }

    // ---- what the window kept ----
    std::unordered_map<std::uint32_t, int> keptCount;
    std::vector<const Data*> kept;
    std::int64_t previous = -1;
    for (const Data& record : gui->contents().records) {
        kept.push_back(&record);
        std::uint32_t sequence;
        if (!carsim::readSequence(record.bytes, sequence)) {
            found.mangled.add("record " + std::to_string(kept.size()) + ": " +
                              hex(record.bytes, carsim::dataRecordBytes) + "\n      " +
                              whoseBytes(record, sent, sentAt));
            continue;
        }
        auto at = sentAt.find(sequence);
        if (at == sentAt.end()) {
            found.unknown.add("record " + std::to_string(kept.size()) + " with #" + std::to_string(sequence) + ": " +
                              hex(record.bytes, carsim::dataRecordBytes) + "\n      " +
                              whoseBytes(record, sent, sentAt));
            continue;
        }
        const SentRecord& r = sent[at->second];
        if (r.departure != Departure::WellFormed)
            found.malformedKept.add(neighbourhood(sent, sentAt, sequence));
        else if (carsim::recordDigest(wireBytes(record).data()) != r.digest)
            found.changed.add(neighbourhood(sent, sentAt, sequence) + " kept as " + hex(record.bytes, 34));
        if (++keptCount[sequence] == 2)
            found.twice.add(neighbourhood(sent, sentAt, sequence));
        if (std::int64_t(sequence) <= previous)
            found.outOfOrder.add("#" + std::to_string(sequence) + " after #" + std::to_string(previous));
        previous = std::max<std::int64_t>(previous, sequence);
        found.keptThoughLost += r.departure == Departure::WellFormed && r.lostOnLine;
    }
    found.kept = kept.size();
    // Missing records come in runs; each is told with the faults just before it.
    for (std::size_t i = 0; i < sent.size();) {
        if (!sent[i].arrived() || keptCount.count(sent[i].sequence)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        long run = 0;
        while (end < sent.size() && !(sent[end].arrived() && keptCount.count(sent[end].sequence))) {
            run += sent[end].arrived();
            ++end;
        }
        std::string text = std::to_string(run) + " from " + describe(sent[i]) + " to " + describe(sent[end - 1]);
        if (end < sent.size())
            text += ", followed by " + describe(sent[end]);
        for (std::size_t k = i; k-- > 0 && i - k <= 1000;)
            if (sent[k].departure != Departure::WellFormed || sent[k].garbageBefore || sent[k].unplugAfter ||
                sent[k].silenceBefore) {
                text += "; " + std::to_string(i - k) + " records before: " + describe(sent[k]);
                break;
            }
        for (std::size_t k = i; k-- > 0 && i - k <= 3000;)
            if (sent[k].unplugAfter) {
                text += "; the last unplug " + std::to_string(i - k) + " records before";
                break;
            }
        found.missing.add(text, run);
        i = end;
    }

    // ---- what the file says: the export's own clock counts the first column ----
    QFile csv(workFolder.filePath("cardata.csv"));
    std::vector<std::string> lines;
    if (csv.open(QIODevice::ReadOnly)) {
        std::istringstream text(csv.readAll().toStdString());
        std::string line;
        while (std::getline(text, line))
            lines.push_back(line + "\n");
    }
    found.exportedLines = lines.size();
    const time_t origin = kept.empty() ? 0 : exportSeconds(*kept.front());
    for (std::size_t i = 0; i < kept.size() && i < lines.size(); ++i) {
        const ZString expected = csvLine(*kept[i], long(exportSeconds(*kept[i]) - origin));
        if (lines[i] != expected.cStr())
            found.csvWrong.add("line " + std::to_string(i + 1) + ": " + lines[i] + "      wanted " + expected.cStr());
    }
    return found;
}

// The figures, passed or not, then the verdict.
void Soak::report(const Drive& run, const Reconciliation& found, const carsim::SendLog& log)
{
    std::map<std::string, int> errorKinds;  // each line up to its first digit
    int errorLines = 0;
    std::istringstream errText(run.consoleErr);
    for (std::string line; std::getline(errText, line);) {
        ++errorLines;
        ++errorKinds[line.substr(0, line.find_first_of("0123456789"))];
    }
    std::string errorSummary = std::to_string(errorLines);
    for (const auto& [kind, count] : errorKinds)
        errorSummary += "; " + std::to_string(count) + "x \"" + kind + "\"";

    const std::string& out = run.consoleOut;
    figure("records sent", std::to_string(found.sent.size()) + " (seed " + std::to_string(seed) + ")");
    figure("well-formed", std::to_string(found.wellFormed) + " (" + std::to_string(found.arrived) + " arrived, " +
                              std::to_string(found.lostOnLine) + " lost on the line at a hang-up)");
    figure("malformed", std::to_string(found.wrongMagic + found.cutShort) + " (" + std::to_string(found.wrongMagic) +
                            " wrong magic, " + std::to_string(found.cutShort) + " cut short)");
    figure("garbage bytes", std::to_string(log.garbageBytes));
    figure("silences", std::to_string(log.silences));
    figure("unplugs", std::to_string(log.unplugs) + " (line reopened " + std::to_string(log.reopens) + " times)");
    figure("records accepted", std::to_string(run.accepted) + " (" + std::to_string(found.keptThoughLost) +
                                   " of them lost on the line yet read in time)");
    figure("exported lines", std::to_string(found.exportedLines));
    figure("console error lines", errorSummary);
    figure("console output lines", std::to_string(std::count(out.begin(), out.end(), '\n')));
    figure("longest event-loop gap", std::to_string(run.longestGapMs) + " ms");
    char memory[160];
    std::snprintf(memory, sizeof memory, "%.1f MB after %d records, %.1f MB at the end (%+.1f MB)",
                  megabytes(run.baselineKb), run.baselineAt, megabytes(run.endKb),
                  megabytes(run.endKb - run.baselineKb));
    figure("memory (VmRSS)", memory);
    figure("memory on the way (MB)", run.memoryTrail);
    figure("streaming time",
           std::to_string(run.streamingMs / 1000) + "." + std::to_string(run.streamingMs % 1000 / 100) + " s");

    EXPECT_EQ(long(found.sent.size()), records);
    EXPECT_GT(found.wrongMagic, 0) << "the soak must see every fault";
    EXPECT_GT(found.cutShort, 0);
    EXPECT_GT(log.garbageBytes, 0);
    EXPECT_GT(log.silences, 0);
    EXPECT_GT(log.unplugs, 0);

    EXPECT_EQ(found.mangled.count, 0) << found.mangled.report("records kept whose sequence number is broken");
    EXPECT_EQ(found.unknown.count, 0) << found.unknown.report("records kept that were never sent");
    EXPECT_EQ(found.malformedKept.count, 0) << found.malformedKept.report("malformed records kept");
    EXPECT_EQ(found.changed.count, 0) << found.changed.report("records kept with other bytes than they were sent with");
    EXPECT_EQ(found.twice.count, 0) << found.twice.report("records kept twice");
    EXPECT_EQ(found.outOfOrder.count, 0) << found.outOfOrder.report("records kept out of order");
    EXPECT_EQ(found.missing.count, 0) << found.missing.report("whole records that arrived but were not kept");

    EXPECT_EQ(found.exportedLines, found.kept) << "cardata.csv has one line per record";
    EXPECT_EQ(found.csvWrong.count, 0) << found.csvWrong.report("lines of cardata.csv unlike their record");

    EXPECT_LT(run.longestGapMs, longestGapAllowedMs) << "the event loop stood still";
    EXPECT_TRUE(gui->portSession().polling());
    EXPECT_GE(gui->portSession().bytesWaiting(), 0) << "the port is open again at the end";
#ifndef SOAK_UNDER_ASAN
    // AddressSanitizer holds freed memory back on purpose; there the leak checker judges.
    const long allowedKb = memorySlackKb + long(run.accepted - run.baselineAt) * bytesPerRecordAllowed / 1024;
    EXPECT_LE(run.endKb - run.baselineKb, allowedKb) << "memory grew beyond the records it holds";
#endif
}

} // namespace

TEST_F(Soak, EveryWholeRecordArrivesOnceNoBrokenOneAndTheWindowStaysResponsive)
{
    const Drive run = drive();
    const carsim::SendLog log = sim->sendLog();
    report(run, reconcile(log), log);
}

// ---- the soak's yardstick: the simulator's account of what it sent ----

namespace {

// A plain reader on the line, standing in for the program.
struct Reader
{
    explicit Reader(const std::string& device)
    {
        opened = port.open(device.c_str()) == 0 && port.setBaud(carlink::lineBaud) == 0;
    }

    // Everything that arrives until the simulator is idle and the line empty.
    Bytes drain(const carsim::CarSimulator& sim, int timeoutMs = 10000)
    {
        Bytes all;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        int quietRounds = 0;
        while (quietRounds < 10 && std::chrono::steady_clock::now() < deadline) {
            const int waiting = port.bytesAvailable();
            if (waiting > 0) {
                Bytes chunk(std::size_t(waiting), 0);
                const int got = port.read(chunk.data(), waiting);
                all.insert(all.end(), chunk.begin(), chunk.begin() + std::max(got, 0));
                quietRounds = 0;
                continue;
            }
            quietRounds = sim.isIdle() ? quietRounds + 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return all;
    }

    ZSerial port;
    bool opened = false;
};

carsim::Options unpacedStream(int records)
{
    carsim::Options options;
    options.pacing = false;
    options.liveRate = 0;
    options.logLiveRecords = false;
    options.liveRecordLimit = records;
    return options;
}

} // namespace

TEST(SoakYardstick, SequenceNumbersNameEveryRecordAndShowDamage)
{
    const carsim::Store store = carsim::makeStore(2, 5, 64, carsim::defaultPositions, {2008, 12, 31, 12, 0, 0});
    for (std::uint32_t k = 0; k < 10; ++k) {
        std::uint32_t sequence = 0;
        EXPECT_TRUE(carsim::readSequence(store.records[k].data(), sequence)) << k;
        EXPECT_EQ(sequence, k + 1);
    }
    for (std::uint32_t number : {0u, 1u, 0x4141u, 0xFFFFFFFFu}) {
        carsim::DataBytes record = carsim::makeDataRecord({2008, 1, 1, 0, 0, 0}, carsim::Sample());
        carsim::setSequence(record, number);
        std::uint32_t read = 0;
        EXPECT_TRUE(carsim::readSequence(record.data(), read));
        EXPECT_EQ(read, number);
        for (int at = carsim::sequenceOffset; at < carsim::dataRecordBytes; ++at) {
            carsim::DataBytes damaged = record;
            damaged[std::size_t(at)] ^= 0x10;
            EXPECT_FALSE(carsim::readSequence(damaged.data(), read)) << number << " byte " << at;
        }
    }
}

TEST(SoakYardstick, TheLogAccountsForEveryByteAndGarbageNeverHoldsTheMagic)
{
    carsim::Options options = unpacedStream(600);
    options.faults.seed = 11;
    options.faults.chaos.on = true;
    options.faults.chaos.wrongMagic = 0.05;
    options.faults.chaos.shortRecord = 0.05;
    options.faults.chaos.garbage = 0.2;
    options.faults.chaos.silence = 0;
    options.faults.chaos.unplug = 0;
    options.faults.garbageProbability = 0.1;  // the single garbage byte of the older faults too
    carsim::CarSimulator sim(options);
    ASSERT_TRUE(sim.start());
    Reader reader(sim.devicePath());
    ASSERT_TRUE(reader.opened);
    carlink::sendLiveStart(reader.port);
    const Bytes stream = reader.drain(sim);

    // The stream is, record by record, its garbage and then as much of it as the log says.
    const carsim::SendLog log = sim.sendLog();
    ASSERT_EQ(log.records.size(), 600u);
    std::size_t at = 0;
    long garbage = 0;
    int seen[3] = {};
    for (const SentRecord& r : log.records) {
        SCOPED_TRACE(describe(r));
        ASSERT_LE(at + r.garbageBefore + r.bytes, stream.size());
        for (int g = 0; g < r.garbageBefore; ++g)
            ASSERT_NE(stream[at++], carsim::magicByte);
        garbage += r.garbageBefore;
        ++seen[int(r.departure)];
        EXPECT_FALSE(r.lostOnLine);
        const std::uint8_t* record = stream.data() + at;
        EXPECT_EQ(record[0], carsim::magicByte);
        switch (r.departure) {
        case Departure::WellFormed: {
            ASSERT_EQ(r.bytes, carsim::dataRecordBytes);
            EXPECT_EQ(record[1], carsim::magicByte);
            EXPECT_EQ(carsim::recordDigest(record), r.digest);
            std::uint32_t sequence = 0;
            EXPECT_TRUE(carsim::readSequence(record, sequence));
            EXPECT_EQ(sequence, r.sequence);
            break;
        }
        case Departure::WrongMagic:
            ASSERT_EQ(r.bytes, carsim::dataRecordBytes);
            EXPECT_EQ(record[1], 'B');
            break;
        case Departure::CutShort:
            EXPECT_GE(r.bytes, 1);
            EXPECT_LT(r.bytes, carsim::dataRecordBytes);
            break;
        }
        at += r.bytes;
    }
    EXPECT_EQ(at, stream.size()) << "nothing arrived that the log does not tell of";
    EXPECT_EQ(garbage, log.garbageBytes);
    EXPECT_GT(seen[int(Departure::WrongMagic)], 0);
    EXPECT_GT(seen[int(Departure::CutShort)], 0);
    EXPECT_GT(log.garbageBytes, 0);

    // The same seed, the same faults on the same records.
    carsim::CarSimulator again(options);
    ASSERT_TRUE(again.start());
    Reader second(again.devicePath());
    ASSERT_TRUE(second.opened);
    carlink::sendLiveStart(second.port);
    second.drain(again);
    const carsim::SendLog log2 = again.sendLog();
    ASSERT_EQ(log2.records.size(), log.records.size());
    for (std::size_t i = 0; i < log.records.size(); ++i) {
        EXPECT_EQ(log2.records[i].departure, log.records[i].departure) << i;
        EXPECT_EQ(log2.records[i].bytes, log.records[i].bytes) << i;
        EXPECT_EQ(log2.records[i].garbageBefore, log.records[i].garbageBefore) << i;
    }
}

TEST(SoakYardstick, AHangUpLosesExactlyWhatTheProgramHadNotRead)
{
    carsim::CarSimulator sim(unpacedStream(50));
    ASSERT_TRUE(sim.start());
    Reader reader(sim.devicePath());
    ASSERT_TRUE(reader.opened);
    carlink::sendLiveStart(reader.port);
    ASSERT_TRUE(waitUntil([&] { return sim.isIdle() && reader.port.bytesAvailable() == 50 * 34; }));

    Bytes first(20 * 34);
    ASSERT_EQ(reader.port.read(first.data(), int(first.size())), int(first.size()));
    // Long after the last write: what the line holds is then known to the byte.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    sim.unplug();

    const carsim::SendLog log = sim.sendLog();
    ASSERT_EQ(log.records.size(), 50u);
    EXPECT_EQ(log.unplugs, 1);
    for (std::size_t i = 0; i < 50; ++i) {
        EXPECT_EQ(log.records[i].arrived(), i < 20) << i;
        EXPECT_EQ(log.records[i].lostOnLine, i >= 20) << i;
    }
}

TEST(SoakYardstick, NothingWaitsUnseenInTheLineSoAHangUpHidesNoLoss)
{
    carsim::CarSimulator sim(unpacedStream(400));
    ASSERT_TRUE(sim.start());
    Reader reader(sim.devicePath());
    ASSERT_TRUE(reader.opened);
    carlink::sendLiveStart(reader.port);
    // The reader's queue fills up and the rest is held back, not left in the line.
    ASSERT_TRUE(waitUntil([&] { return reader.port.bytesAvailable() >= 4000; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int waiting = reader.port.bytesAvailable();
    EXPECT_LE(waiting, 4095);
    EXPECT_LE(sim.sendLog().records.size(), std::size_t(waiting / 34 + 2));

    // The reader empties its queue and the line hangs up at once: a record counts
    // as arrived only if it was all in what the reader got.
    Bytes got(std::size_t(waiting), 0);
    ASSERT_EQ(reader.port.read(got.data(), waiting), waiting);
    sim.unplug();
    const carsim::SendLog log = sim.sendLog();
    std::size_t arrived = 0;
    for (std::size_t i = 0; i < log.records.size(); ++i)
        if (log.records[i].arrived()) {
            EXPECT_LE((i + 1) * 34, got.size()) << i;
            ++arrived;
        }
    EXPECT_GT(arrived, 0u);
}

TEST(SoakYardstick, APulledCableComesBackUnderItsNameAndTheStreamGoesOn)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    carsim::Options options = unpacedStream(3);
    options.linkPath = folder.filePath("carcomputer").toStdString();
    options.faults.chaos.on = true;
    options.faults.chaos.wrongMagic = 0;
    options.faults.chaos.shortRecord = 0;
    options.faults.chaos.garbage = 0;
    options.faults.chaos.silence = 0;
    options.faults.chaos.unplug = 1;  // after every record
    options.faults.chaos.reopenMinMs = 100;
    options.faults.chaos.reopenMaxMs = 200;
    carsim::CarSimulator sim(options);
    ASSERT_TRUE(sim.start());

    Reader reader(options.linkPath);
    ASSERT_TRUE(reader.opened);
    carlink::sendLiveStart(reader.port);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        Data record;
        ASSERT_EQ(carlink::readDataRecord(reader.port, record), carlink::dataRecordSize);
        EXPECT_EQ(carlink::readDataRecord(reader.port, record), -1) << "the line hangs up after it";
        // The same name opens the new line, and the record after is already on its way.
        ASSERT_TRUE(waitUntil([&] { return reader.port.open(options.linkPath.c_str()) == 0; }, 3000));
        ASSERT_EQ(reader.port.setBaud(carlink::lineBaud), 0);
    }
    const carsim::SendLog log = sim.sendLog();
    ASSERT_EQ(log.records.size(), 3u);
    EXPECT_EQ(log.unplugs, 3);
    EXPECT_EQ(log.reopens, 3);
    for (const SentRecord& r : log.records) {
        EXPECT_TRUE(r.arrived()) << describe(r);
        EXPECT_TRUE(r.unplugAfter);
    }
    EXPECT_EQ(sim.received(), Bytes{'c'}) << "nobody asked for the stream again";
}
