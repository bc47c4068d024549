#pragma once
// Distance, energy and time on the move along the records, as running totals
// kept while records are appended, so that any run of records costs two
// look-ups. Each record has a time of its own: records that share a whole
// second share it evenly (k records at second s get s, s + 1/k, ...), and
// the trapezoids between neighbours add up; a step longer than
// longestStep seconds (or backwards) is a gap, counted and not integrated.

#include <QtGlobal>

#include <deque>
#include <vector>

class DriveIntegrals
{
public:
    static constexpr double longestStep = 10.0;

    // One record: its whole second, Speed in km/h, power in W.
    void append(float second, float speed, float power);
    void clear();
    qint64 count() const { return qint64(settled.size() + open.size()); }

    struct Totals
    {
        double km = 0;
        double wh = 0;
        double movingSeconds = 0;  // steps with Speed > 0 at either end
        qint64 gaps = 0;
    };
    // Over the steps between records [first, last).
    Totals between(qint64 first, qint64 last) const;
    // The record's own time, in seconds.
    double timeAt(qint64 index) const { return mark(index).time; }

private:
    // Totals from the first record up to this one.
    struct Mark
    {
        double time, km, wh, moving;
        qint64 gaps;
    };
    struct Reading
    {
        float speed, power;
    };

    const Mark& mark(qint64 index) const;
    // The marks of the records of the open second, after `settled`.
    void markOpen(std::vector<Mark>& out) const;

    std::deque<Mark> settled;
    Reading lastSettled{0, 0};
    // The records of the newest second, whose share of it grows with each one.
    float openSecond = 0;
    std::vector<Reading> open;
    mutable std::vector<Mark> openMarks;
    mutable bool openMarked = false;
};
