#include "SummaryText.h"

#include <QStringList>

#include <cmath>

std::vector<SummaryItem> summaryItems(const DriveSummary& s)
{
    std::vector<SummaryItem> items = {
        {"First record", "", double(s.first), 0},
        {"Records", "", double(s.records), 0},
        {"Duration", "s", s.seconds, 1},
        {"Gaps skipped", "", double(s.gaps), 0},
        {"Distance", "km", s.km, 2},
        {"Average speed while moving", "km/h", s.movingSpeed, 2},
        {"Maximum speed", "km/h", s.maxSpeed, 2, true, s.channel[Speed].maxIndex},
        {"Energy drawn", "Wh", s.wh, 1},
        {"Energy per distance", "Wh/km", s.whPerKm, 2},
        {"Peak power", "W", s.peakPower, 0, true, s.peakPowerIndex},
        {"Peak power at", "s", s.peakPowerTime, 2},
        {"Charge1 drawn", "Ah", s.charge1Drawn, 2},
        {"Charge2 recovered", "Ah", s.charge2Recovered, 2},
        {"Net charge", "Ah", s.chargeNet, 2},
        {"Battery at start", "%", s.batteryStart, 0},
        {"Battery at end", "%", s.batteryEnd, 0},
        {"Battery used", "%", s.batteryUsed, 0},
        {"Voltage sag", "V", s.sagVoltage, 2, true, s.sagIndex},
        {"Current at the sag", "A", s.sagCurrent, 2},
    };
    if (s.records == 0)
        for (std::size_t i = 2; i < items.size(); ++i)
            if (items[i].name != "Gaps skipped")
                items[i].value = std::nan("");
    const auto addStats = [&items, &s](const ChannelInfo& info, const ChannelStats& stats) {
        const QString name = QString::fromLatin1(info.name);
        const QString unit = QString::fromUtf8(info.unit);
        const int decimals = info.csvDecimals;
        const double none = std::nan("");
        items.push_back({name + " min", unit, s.records ? stats.min : none, decimals, true, stats.minIndex});
        items.push_back({name + " average", unit, s.records ? stats.mean : none, decimals + 1});
        items.push_back({name + " max", unit, s.records ? stats.max : none, decimals, true, stats.maxIndex});
    };
    for (int c = 0; c < Time; ++c)
        addStats(channels[c], s.channel[c]);
    addStats(powerInfo, s.power);
    return items;
}

QString figure(const SummaryItem& item)
{
    return std::isfinite(item.value) ? QString::number(item.value, 'f', item.decimals) : QString();
}

QString summaryText(const DriveSummary& summary, const QString& range)
{
    QString text = range + '\n';
    for (const SummaryItem& item : summaryItems(summary)) {
        const QString value = figure(item);
        text += item.name + '\t' + (value.isEmpty() ? QStringLiteral("-") : value);
        if (!item.unit.isEmpty() && !value.isEmpty())
            text += ' ' + item.unit;
        if (item.record >= 0)
            text += QStringLiteral(" (record %1)").arg(item.record);
        text += '\n';
    }
    return text;
}

QString summaryCsv(const DriveSummary& summary)
{
    QStringList header;
    QStringList row;
    for (const SummaryItem& item : summaryItems(summary)) {
        header << (item.unit.isEmpty() ? item.name : item.name + " (" + item.unit + ')');
        row << figure(item);
        if (item.located) {
            header << item.name + " record";
            row << (item.record >= 0 ? QString::number(item.record) : QString());
        }
    }
    return header.join(',') + '\n' + row.join(',') + '\n';
}
