#include "DriveAnalysis.h"

#include "Recording.h"

#include <algorithm>
#include <cmath>
#include <limits>

// The records are taken in only when a summary is asked for: a window whose
// summary is never shown pays nothing for it, neither time nor memory.
DriveAnalysis::DriveAnalysis(const Recording& recording, QObject* parent) : QObject(parent), held(recording)
{
}

void DriveAnalysis::restart()
{
    integrals.clear();
    sums.clear();
    power.clear();
}

void DriveAnalysis::catchUp()
{
    const std::vector<SampleHistory>& h = held.histories();
    // Histories cleared (a new run, a file opened) say so by their generation.
    if (h[Time].generation() != seenGeneration || h[Time].count() < integrals.count()) {
        seenGeneration = h[Time].generation();
        restart();
    }
    for (qint64 i = integrals.count(); i < h[Time].count(); ++i) {
        float values[ChannelSums::summed];
        for (int c = 0; c < ChannelSums::measured; ++c)
            values[c] = h[std::size_t(c)].at(i);
        const float watts = float(powerOf(values[Voltage], values[Current]));
        values[ChannelSums::powerSum] = watts;
        integrals.append(h[Time].at(i), values[Speed], watts);
        sums.append(values);
        power.append(watts);
    }
}

ChannelStats DriveAnalysis::stats(const SampleHistory& history, qint64 first, qint64 last) const
{
    const SampleHistory::Extremes e = history.extremes(first, last);
    return {e.low, e.high, 0, history.firstReaching(first, last, e.low, false),
            history.firstReaching(first, last, e.high, true)};
}

DriveSummary DriveAnalysis::summarizeAll()
{
    catchUp();
    return summarize(0, integrals.count());
}

DriveSummary DriveAnalysis::summarize(qint64 first, qint64 last)
{
    catchUp();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<SampleHistory>& h = held.histories();
    DriveSummary s;
    s.first = std::clamp<qint64>(first, 0, integrals.count());
    s.last = std::clamp<qint64>(last, s.first, integrals.count());
    s.records = s.last - s.first;
    if (s.records == 0) {
        s.seconds = s.km = s.movingSpeed = s.maxSpeed = s.wh = s.whPerKm = nan;
        return s;
    }
    const qint64 end = s.last - 1;
    s.seconds = integrals.timeAt(end) - integrals.timeAt(s.first);
    const DriveIntegrals::Totals t = integrals.between(s.first, s.last);
    s.gaps = t.gaps;
    s.km = t.km;
    s.wh = t.wh;
    s.movingSpeed = t.movingSeconds > 0 ? t.km / (t.movingSeconds / 3600) : nan;
    s.whPerKm = t.km > 0 ? t.wh / t.km : nan;
    for (int c = 0; c < ChannelSums::measured; ++c) {
        s.channel[c] = stats(h[std::size_t(c)], s.first, s.last);
        s.channel[c].mean = sums.mean(c, h[std::size_t(c)], s.first, s.last);
    }
    s.maxSpeed = s.channel[Speed].max;
    s.power = stats(power, s.first, s.last);
    s.power.mean = sums.mean(ChannelSums::powerSum, power, s.first, s.last);
    s.peakPower = s.power.max;
    s.peakPowerIndex = s.power.maxIndex;
    s.peakPowerTime = integrals.timeAt(s.power.maxIndex);
    s.charge1Drawn = double(h[Charge1].at(end)) - h[Charge1].at(s.first);
    s.charge2Recovered = double(h[Charge2].at(end)) - h[Charge2].at(s.first);
    s.chargeNet = s.charge1Drawn - s.charge2Recovered;
    s.batteryStart = h[Battery].at(s.first);
    s.batteryEnd = h[Battery].at(end);
    s.batteryUsed = s.batteryStart - s.batteryEnd;
    // The sag: every record at the highest Current, found block by block.
    s.sagCurrent = s.channel[Current].max;
    s.sagVoltage = std::numeric_limits<float>::infinity();
    for (qint64 i = s.channel[Current].maxIndex; i >= 0; i = h[Current].firstReaching(i + 1, s.last, s.sagCurrent, true))
        if (h[Voltage].at(i) < s.sagVoltage) {
            s.sagVoltage = h[Voltage].at(i);
            s.sagIndex = i;
        }
    return s;
}
