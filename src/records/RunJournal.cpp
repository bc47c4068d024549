#include "RunJournal.h"

#include "CsvLine.h"
#include "Recording.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The longest a line waits in memory: a kill loses no more.
constexpr int flushEveryMs = 500;
// A download's batch may be large; it need not wait whole in memory.
constexpr std::size_t mostWaiting = 1 << 16;

} // namespace

RunJournal::RunJournal(const Recording& recording, const QString& folder, int keep, QObject* parent)
    : QObject(parent), recording(recording), folder(folder), keep(keep)
{
    connect(&recording, &Recording::appended, this, &RunJournal::appended);
    connect(&recording, &Recording::cleared, this, &RunJournal::endRun);
    // An opened file is no run; records after it begin a new one.
    connect(&recording, &Recording::replaced, this, &RunJournal::endRun);
    flushTimer.setInterval(flushEveryMs);
    connect(&flushTimer, &QTimer::timeout, this, [this] {
        if (!waiting.empty())
            flush();
    });
}

RunJournal::~RunJournal()
{
    endRun();
}

void RunJournal::appended(int count)
{
    if (givenUp || (handle < 0 && !openFile()))
        return;
    char line[csvLineTextSize];
    for (qint64 index = recording.count() - count; index < recording.count(); ++index) {
        const Data& record = recording.record(index);
        // The first column as Save writes it: seconds from the run's first record.
        const time_t seconds = clock.seconds(record);
        if (origin == 0)
            origin = seconds;
        waiting.append(line, std::size_t(csvLineText(record, long(seconds - origin), line)));
        if (waiting.size() >= mostWaiting && !flush())
            return;
    }
    if (sinceFlush.hasExpired(flushEveryMs))
        flush();
}

void RunJournal::endRun()
{
    if (handle >= 0) {
        flush();
        if (handle >= 0 && ::close(handle) != 0)
            fail(QStringLiteral("close"), errno);
        handle = -1;
    }
    flushTimer.stop();
    waiting.clear();
    fileName.clear();
    givenUp = false;
    origin = 0;
    clock = ExportClock();
}

bool RunJournal::openFile()
{
    // A folder that cannot be made shows in the file's creation and its reason.
    QDir().mkpath(folder);
    // The oldest go first, so that the new run is among the newest kept.
    const std::vector<RunFile> runs = runFiles(folder);
    for (std::size_t index = std::size_t(std::max(keep - 1, 0)); index < runs.size(); ++index)
        QFile::remove(runs[index].path);

    const QDateTime start = QDateTime::currentDateTime();
    for (int sequence = 1; handle < 0; ++sequence) {
        // Runs begun in one second are told apart by their number, whatever their kind.
        const QDir dir(folder);
        if (dir.exists(runFileName(start, RunKind::Live, sequence)) ||
            dir.exists(runFileName(start, RunKind::Download, sequence)))
            continue;
        fileName = dir.filePath(runFileName(start, nextKind, sequence));
        handle = ::open(QFile::encodeName(fileName).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (handle < 0 && errno != EEXIST) {
            fail(QStringLiteral("create %1").arg(fileName), errno);
            return false;
        }
    }
    sinceFlush.start();
    flushTimer.start();
    return true;
}

bool RunJournal::flush()
{
    // Whole lines at once, so that a kill leaves only whole lines behind.
    std::size_t written = 0;
    while (written < waiting.size()) {
        const ssize_t done = ::write(handle, waiting.data() + written, waiting.size() - written);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            fail(QStringLiteral("write %1").arg(fileName), done < 0 ? errno : ENOSPC);
            ::close(handle);
            handle = -1;
            flushTimer.stop();
            waiting.clear();
            return false;
        }
        written += std::size_t(done);
    }
    waiting.clear();
    sinceFlush.start();
    return true;
}

void RunJournal::fail(const QString& what, int error)
{
    givenUp = true;
    const QString reason = QString::fromLocal8Bit(std::strerror(error));
    std::fprintf(stderr, "Error: Run journal: unable to %s: %s\n", what.toLocal8Bit().constData(),
                 reason.toLocal8Bit().constData());
    emit failed(tr("Run journal stopped for this run: cannot %1: %2").arg(what, reason));
}
