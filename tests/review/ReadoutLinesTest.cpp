// The read-out's text broken into lines that fit.
#include "ReadoutLines.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include <gtest/gtest.h>

TEST(ReadoutLines, BreakBetweenItemsThenAtSpaces)
{
    const QFontMetrics metrics(QGuiApplication::font());
    const auto width = [&](const char* text) { return metrics.horizontalAdvance(QString::fromLatin1(text)); };
    const QString record = "2008-12-31 23:59:30  Throttle 12.00  Time 3725.00\n+0:00:10  Throttle +0.30";
    struct Case { int width; QStringList lines; };
    const Case cases[] = {
        {100000, {"2008-12-31 23:59:30  Throttle 12.00  Time 3725.00", "+0:00:10  Throttle +0.30"}},
        {width("2008-12-31 23:59:30  Throttle 12.00"),
         {"2008-12-31 23:59:30  Throttle 12.00", "Time 3725.00", "+0:00:10  Throttle +0.30"}},
        {width("2008-12-31 23:59:30"), {"2008-12-31 23:59:30", "Throttle 12.00", "Time 3725.00", "+0:00:10",
                                        "Throttle +0.30"}},
        // An item wider than the line breaks at its space; a word wider still stands alone.
        {width("2008-12-31"), {"2008-12-31", "23:59:30", "Throttle", "12.00", "Time", "3725.00", "+0:00:10",
                               "Throttle", "+0.30"}},
        {1, {"2008-12-31", "23:59:30", "Throttle", "12.00", "Time", "3725.00", "+0:00:10", "Throttle", "+0.30"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        EXPECT_EQ(fitLines(record, metrics, c.width), c.lines);
    }
}
