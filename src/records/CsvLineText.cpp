#include "CsvLineText.h"

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
    // "%.2f" of hundredths / 100: exact, as every value of the file has at
    // most two decimals and printf rounds correctly.
    void hundredths(unsigned value)
    {
        whole(value / 100);
        *at++ = '.';
        whole(value % 100, 2);
    }
    void put(char c) { *at++ = c; }

    char* at;
};

} // namespace

int csvLineText(const Data& record, long secondsSinceFirst, char (&out)[csvLineTextSize])
{
    // Same order and form as "%d %.4d-%.2d-%.2d %.2d:%.2d:%.2d %.2f %.2f %.2f %.2f %.2f %.2f %.2f %d %.2f\n".
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
    const unsigned values[] = {record.throttle() * 10u, record.motorSpeed() * 10u, record.speed(),
                               record.voltage(),         record.current(),         record.charge1() * 10u,
                               record.charge2() * 10u};
    for (unsigned value : values) {
        line.put(' ');
        line.hundredths(value);
    }
    line.put(' ');
    line.whole(record.battery());
    line.put(' ');
    line.hundredths(record.temperature() * 50u);
    line.put('\n');
    return int(line.at - out);
}
