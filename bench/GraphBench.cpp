// Time the ten graphs of the live display take for one record: new samples for
// every graph and the window painted. Runs on the offscreen platform.
//
//   graph_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
//
// BM_RecordEventLoop is the live path: the record step hands each graph its
// samples and lets the event loop paint what changed.
//
// The counter plots/record tells how many plot areas each record repainted
// (10 when every graph was painted).
#include "LiveGraphWindow.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QTest>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

LiveGraphWindow* window = nullptr;

class PaintCounter : public QObject
{
public:
    long paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

template <typename Paint>
void runRecords(benchmark::State& state, Paint paint, bool relabel = false)
{
    PaintCounter counter;
    window->watchPlots(&counter);
    for (auto _ : state) {
        window->takeRecord(relabel);
        paint();
    }
    window->watchPlots(nullptr);
    state.counters["plots/record"] =
        benchmark::Counter(static_cast<double>(counter.paints) / static_cast<double>(state.iterations()));
}

// Painted at once, as a repaint of the whole window (frames, buttons and all,
// as after the window was covered).
void BM_RecordRepaint(benchmark::State& state)
{
    runRecords(state, [] { window->repaint(); });
}
BENCHMARK(BM_RecordRepaint)->Unit(benchmark::kMillisecond);

// Painted by the event loop, as the record step lets pending events run once.
// The figure that counts: what a live record costs the program.
void BM_RecordEventLoop(benchmark::State& state)
{
    runRecords(state, [] { QCoreApplication::processEvents(); });
}
BENCHMARK(BM_RecordEventLoop)->Unit(benchmark::kMillisecond);

// The same when every record moves the extremes, so all ten value labels
// repaint as well.
void BM_RecordEventLoopNewExtremes(benchmark::State& state)
{
    runRecords(state, [] { QCoreApplication::processEvents(); }, true);
}
BENCHMARK(BM_RecordEventLoopNewExtremes)->Unit(benchmark::kMillisecond);

// The same early in a run, while the windows still fill.
void BM_RecordEventLoopFilling(benchmark::State& state)
{
    PaintCounter counter;
    window->watchPlots(&counter);
    for (auto _ : state) {
        window->takeFillingRecord();
        QCoreApplication::processEvents();
    }
    window->watchPlots(nullptr);
    state.counters["plots/record"] =
        benchmark::Counter(static_cast<double>(counter.paints) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_RecordEventLoopFilling)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setPointSize(10);
    QApplication::setFont(font);

    LiveGraphWindow live;
    live.show();
    if (!QTest::qWaitForWindowExposed(&live))
        return 1;
    window = &live;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
