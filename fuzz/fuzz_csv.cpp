// Fuzz target: reading cardata.csv from arbitrary bytes.
//
// Every input is either refused, naming a line of it and leaving the records
// held before alone, or taken; a taken input is written back by Save, and that
// file must be the input itself, its CRLF line ends as LF and its last line
// ended. Read in small pieces, as the file reader does, the answer is the same.
// A broken promise aborts, so the fuzzer reports it as a crash.
#include "CsvExport.h"
#include "CsvImport.h"
#include "CsvParser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

void check(bool promiseKept, const char* promise)
{
    if (!promiseKept) {
        std::fprintf(stderr, "fuzz_csv: broken promise: %s\n", promise);
        std::abort();
    }
}

std::string bytesOf(const RecordList& records)
{
    std::string all;
    for (const Data& record : records)
        all.append(reinterpret_cast<const char*>(record.bytes), sizeof(Data::bytes));
    return all;
}

const RecordList& heldBefore()
{
    static const RecordList held = [] {
        RecordList list;
        Data d;
        std::memset(d.bytes, 0x5a, sizeof d.bytes);
        list.push_back(d);
        return list;
    }();
    return held;
}

// What Save writes for a text it has read.
std::string normalised(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    if (!out.empty() && out.back() != '\n')
        out += '\n';
    return out;
}

std::string saved(const RecordList& records)
{
    static const std::string file = [] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(folder) + "/fuzz_csv." + std::to_string(long(getpid())) + ".csv";
    }();
    check(writeCsv(records, ZString(file.c_str())).getNumber() == 0, "Save writes the records read");
    std::string text;
    if (FILE* in = std::fopen(file.c_str(), "rb")) {
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
            text.append(buffer, got);
        std::fclose(in);
    }
    std::remove(file.c_str());
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool zoneSet = [] {
        setenv("TZ", "Europe/Berlin", 1);  // summer time: standard-time reading matters
        tzset();
        return true;
    }();
    (void)zoneSet;

    const std::string text(reinterpret_cast<const char*>(data), size);
    RecordList records = heldBefore();
    const CsvReadResult result = parseCsv(text.data(), text.size(), records);
    const int lines = int(std::count(text.begin(), text.end(), '\n')) + 1;

    if (!result.ok) {
        check(result.line >= 1 && result.line <= lines, "a refusal names a line of the text");
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "line %d: ", result.line);
        check(std::strncmp(result.reason.cStr(), prefix, std::strlen(prefix)) == 0 &&
                  result.reason.length() > int(std::strlen(prefix)),
              "the reason starts with its line and says something");
        check(bytesOf(records) == bytesOf(heldBefore()), "a refused text leaves the records alone");
    } else {
        const std::string expected = normalised(text);
        check(int(records.size()) == int(std::count(expected.begin(), expected.end(), '\n')), "one record per line");
        check(saved(records) == expected, "Save writes back the text read");
    }

    // Pieces of 1 to 97 bytes, lines running across them.
    const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 97;
    CsvParser parser;
    for (std::size_t at = 0; at < size && parser.feed(text.data() + at, std::min(piece, size - at)); at += piece) {
    }
    parser.finish();
    check(parser.result().ok == result.ok && parser.result().line == result.line &&
              std::strcmp(parser.result().reason.cStr(), result.reason.cStr()) == 0,
          "reading in pieces gives the same answer");
    if (result.ok)
        check(bytesOf(parser.records()) == bytesOf(records), "reading in pieces gives the same records");
    return 0;
}
