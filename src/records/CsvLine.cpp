#include "CsvLine.h"

#include <utility>

namespace {

class LineWriter
{
public:
    explicit LineWriter(char* out) : at(out) {}

    // "%.Nd" of a value that is not negative: at least `digits` digits.
    void whole(unsigned value, int digits = 1)
    {
        char reversed[12];
        int n = 0;
        do {
            reversed[n++] = char('0' + value % 10);
            value /= 10;
        } while (value != 0);
        for (; n < digits; ++n)
            reversed[n] = '0';
        while (n > 0)
            *at++ = reversed[--n];
    }
    // "%d"
    void integer(int value)
    {
        if (value < 0) {
            *at++ = '-';
            whole(0u - unsigned(value));
        } else {
            whole(unsigned(value));
        }
    }
    // "%.Nf" of units / 10^N: exact, as every value of the file has at most
    // its N decimals and printf rounds correctly.
    void fixed(unsigned units, int decimals)
    {
        if (decimals == 0)
            return whole(units);
        const unsigned one = powerOfTen(decimals);
        whole(units / one);
        *at++ = '.';
        whole(units % one, decimals);
    }
    void put(char c) { *at++ = c; }

    char* at;
};

// Each channel expanded with its own constants: the divisions by its step
// and decimals become multiplications.
template <int... channel>
void writeValues(LineWriter& line, const Data& record, std::integer_sequence<int, channel...>)
{
    ((line.put(' '), line.fixed(rawValue(record, channel) * csvStep(channels[channel]), channels[channel].csvDecimals)),
     ...);
}

} // namespace

int csvLineText(const Data& record, long secondsSinceFirst, char (&out)[csvLineTextSize])
{
    LineWriter line(out);
    line.integer(int(secondsSinceFirst));
    line.put(' ');
    line.whole(unsigned(1900 + record.year()), 4);
    line.put('-');
    line.whole(unsigned(record.month()), 2);
    line.put('-');
    line.whole(unsigned(record.day()), 2);
    line.put(' ');
    line.whole(unsigned(record.hour()), 2);
    line.put(':');
    line.whole(unsigned(record.min()), 2);
    line.put(':');
    line.whole(unsigned(record.sec()), 2);
    writeValues(line, record, std::make_integer_sequence<int, Time>());
    line.put('\n');
    return int(line.at - out);
}

ZString csvLine(const Data& record, long secondsSinceFirst)
{
    char text[csvLineTextSize];
    text[csvLineText(record, secondsSinceFirst, text)] = '\0';  // the longest line leaves room
    return ZString(text);
}
