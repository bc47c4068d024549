#include "RunFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

const char* const nameFormat = "yyyy-MM-dd_HH-mm-ss";

} // namespace

QString runJournalFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1String("/tralixgui/runs");
}

QString runKindName(RunKind kind)
{
    return QLatin1String(kind == RunKind::Live ? "live" : "download");
}

QString runFileName(const QDateTime& start, RunKind kind, int sequence)
{
    const QString again = sequence > 1 ? QString::fromLatin1("-%1").arg(sequence) : QString();
    return start.toString(QLatin1String(nameFormat)) + again + QLatin1Char('_') + runKindName(kind) +
           QLatin1String(".csv");
}

std::vector<RunFile> runFiles(const QString& folder)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(?:-(\\d+))?_(live|download)\\.csv$"));
    std::vector<RunFile> runs;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        RunFile run;
        run.path = dir.filePath(name);
        run.start = QDateTime::fromString(match.captured(1), QLatin1String(nameFormat));
        run.sequence = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
        run.kind = match.captured(3) == QLatin1String("live") ? RunKind::Live : RunKind::Download;
        if (run.start.isValid())
            runs.push_back(run);
    }
    std::sort(runs.begin(), runs.end(), [](const RunFile& a, const RunFile& b) {
        return a.start != b.start ? a.start > b.start : a.sequence > b.sequence;
    });
    return runs;
}

RunSummary summarizeRun(const QString& path)
{
    RunSummary summary;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return summary;
    // Whole lines only: a line cut short is no record.
    char buffer[65536];
    std::string tail;  // the text since the last line end but one
    for (qint64 got; (got = file.read(buffer, sizeof buffer)) > 0;) {
        summary.records += std::count(buffer, buffer + got, '\n');
        tail.append(buffer, std::size_t(got));
        if (tail.size() > 512)
            tail.erase(0, tail.size() - 512);
    }
    const std::size_t end = tail.rfind('\n');
    if (end == std::string::npos)
        return summary;
    const std::size_t begin = tail.rfind('\n', end == 0 ? 0 : end - 1);
    const std::size_t from = begin == std::string::npos || begin == end ? 0 : begin + 1;
    summary.seconds = std::atoll(tail.c_str() + from);
    return summary;
}
