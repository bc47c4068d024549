// What looking at the whole history costs: ten graphs of 100,000 and of
// 1,000,000 records in a window of the main window's size, on the offscreen
// platform; and what keeping the history costs each record.
//
//   history_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// BM_FullRepaint     the ten graphs zoomed out over all records, painted
//                    with every column's extremes looked up afresh
// BM_RepaintKept     the same picture painted again (the window uncovered)
// BM_ZoomStep        one wheel notch in or out around the pointer, painted
// BM_PanStep         one drag step of 100 pixels over half the records, painted
// BM_CursorStep      the pointer moves one column on: the cursor line moves
//                    through all ten graphs
// BM_AppendRecord    one record's ten samples into the history (a million)
//
// Counters: bytes/record, the histories' memory per record of ten channels;
// rss_MB, the whole benchmark process after building the window.
#include "HistoryGraphWindow.h"
#include "HistoryView.h"
#include "ZGraph.h"
#include "ZGraphPlot.h"

#include <QApplication>
#include <QFont>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// One window per size, built once and kept while its benchmarks run: a
// million records take a while. One at a time, so that rss_MB tells one
// window's size.
std::unique_ptr<HistoryGraphWindow> built;

HistoryGraphWindow& windowOf(long records)
{
    if (!built || built->view()->count() != records) {
        built.reset();
        built = std::make_unique<HistoryGraphWindow>(records);
        built->show();
        if (!QTest::qWaitForWindowExposed(built.get()))
            std::abort();
    }
    HistoryView* view = built->view();
    view->setLive(false);
    view->showAll();
    QCoreApplication::processEvents();
    return *built;
}

// The offscreen platform says that it cannot size top-level windows; that is
// no news here and would only clutter the table.
void quietPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.contains(QLatin1String("does not support propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
}

void countMemory(benchmark::State& state, HistoryGraphWindow& window)
{
    state.counters["bytes/record"] =
        static_cast<double>(window.view()->bytesUsed()) / static_cast<double>(window.view()->count());
    state.counters["rss_MB"] = static_cast<double>(residentKilobytes()) / 1024.0;
}

// As from the window system, so that the event travels from the plot area up
// to its graph, where the view listens.
void deliver(QWidget* receiver, QEvent* event)
{
    QSpontaneKeyEvent::setSpontaneous(event);
    qApp->notify(receiver, event);
}

void mouse(QWidget* plot, QEvent::Type type, int x, Qt::MouseButtons buttons)
{
    const QPointF at(x, 20);
    QMouseEvent event(type, at, at, QPointF(plot->mapToGlobal(at.toPoint())),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    deliver(plot, &event);
}

void BM_FullRepaint(benchmark::State& state)
{
    const long records = state.range(0);
    HistoryGraphWindow& window = windowOf(records);
    bool allButOne = false;
    for (auto _ : state) {
        // Alternating between two views keeps every column's lookup fresh.
        window.view()->showRange(0, records - (allButOne ? 1 : 0));
        allButOne = !allButOne;
        window.graphBox()->repaint();
    }
    countMemory(state, window);
}
BENCHMARK(BM_FullRepaint)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_RepaintKept(benchmark::State& state)
{
    HistoryGraphWindow& window = windowOf(state.range(0));
    for (auto _ : state)
        window.graphBox()->repaint();
}
BENCHMARK(BM_RepaintKept)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_ZoomStep(benchmark::State& state)
{
    HistoryGraphWindow& window = windowOf(state.range(0));
    QWidget* plot = window.graphList()[4]->plotArea();
    const QPoint at(plot->width() / 3, 20);
    int notch = 120;
    for (auto _ : state) {
        QWheelEvent wheel(QPointF(at), QPointF(plot->mapToGlobal(at)), QPoint(), QPoint(0, notch), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        deliver(plot, &wheel);
        notch = -notch;
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_ZoomStep)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_PanStep(benchmark::State& state)
{
    const long records = state.range(0);
    HistoryGraphWindow& window = windowOf(records);
    window.view()->showRange(records / 4, records / 4 + records / 2);
    QWidget* plot = window.graphList()[2]->plotArea();
    mouse(plot, QEvent::MouseButtonPress, 400, Qt::LeftButton);
    int x = 300;
    for (auto _ : state) {
        mouse(plot, QEvent::MouseMove, x, Qt::LeftButton);
        x = x == 300 ? 400 : 300;
        QCoreApplication::processEvents();
    }
    mouse(plot, QEvent::MouseButtonRelease, x, Qt::NoButton);
}
BENCHMARK(BM_PanStep)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_CursorStep(benchmark::State& state)
{
    HistoryGraphWindow& window = windowOf(state.range(0));
    QWidget* plot = window.graphList()[6]->plotArea();
    int x = 200;
    for (auto _ : state) {
        mouse(plot, QEvent::MouseMove, x, Qt::NoButton);
        x = x == 200 ? 201 : 200;
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_CursorStep)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The live record step's share: a million records into ten channels.
void BM_AppendRecord(benchmark::State& state)
{
    std::vector<SampleHistory> histories(HistoryGraphWindow::channels);
    float values[HistoryGraphWindow::channels];
    for (int c = 0; c < HistoryGraphWindow::channels; ++c)
        values[c] = HistoryGraphWindow::signal(c, 1234);
    for (auto _ : state) {
        values[0] += 0.25f;
        for (int c = 0; c < HistoryGraphWindow::channels; ++c)
            histories[std::size_t(c)].append(values[c]);
    }
    std::size_t bytes = 0;
    for (const SampleHistory& history : histories)
        bytes += history.bytesUsed();
    state.counters["bytes/record"] = static_cast<double>(bytes) / static_cast<double>(histories[0].count());
}
BENCHMARK(BM_AppendRecord)->Iterations(1000000)->Unit(benchmark::kNanosecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    qInstallMessageHandler(quietPlatformNotes);
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setPointSize(10);
    QApplication::setFont(font);
    benchmark::RunSpecifiedBenchmarks();
    built.reset();
    benchmark::Shutdown();
    return 0;
}
