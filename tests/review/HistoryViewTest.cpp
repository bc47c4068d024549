// Ten stacked graphs and their history view, worked with the mouse and keys
// as a user would: zoom, pan, scroll, show all, point, pin.
// Mouse events go through the window as from the window system, with the
// enter and leave events that brings.
#define QTEST_QPA_MOUSE_HANDLING
#include "HistoryKeys.h"
#include "HistoryView.h"
#include "IndexScale.h"
#include "ZGraph.h"
#include "ZGraphPlot.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr QRgb blue = 0xff0000ff;
constexpr QRgb red = 0xffff0000;
constexpr QRgb green = 0xff009600;

int countIn(const QImage& image, QRgb colour, int column = -1)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour && (column < 0 || x == column);
    return n;
}

class HistoryViewTest : public ::testing::Test
{
protected:
    static constexpr int channels = 10;
    static constexpr qint64 records = 20000;

    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        for (int c = 0; c < channels; ++c) {
            auto* graph = new ZGraph(&window);
            graph->setYLabel("Channel");
            graph->setMinimumHeight(55);
            graph->setData({float(c), 2.0f * c + 1, 0.5f});
            layout->addWidget(graph);
            graphs.push_back(graph);
        }
        view = new HistoryView(graphs, histories, &window, &window);
        layout->addWidget(view->scrollBar());
        elsewhere = new QWidget(&window);
        elsewhere->setFixedHeight(40);
        layout->addWidget(elsewhere);
        window.resize(600, 760);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

        for (qint64 i = 0; i < records; ++i)
            for (int c = 0; c < channels; ++c)
                histories[std::size_t(c)].append(float(std::sin(double(i) / (300.0 + 50 * c)) * (c + 1)));
        view->samplesAppended();
    }

    QWidget* plot(int channel) const { return graphs[size_t(channel)]->plotArea(); }
    QImage plotImage(int channel) const { return plot(channel)->grab().toImage(); }

    void wheel(int channel, QPoint at, int delta)
    {
        QWheelEvent event(QPointF(at), QPointF(plot(channel)->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        // As from the window system: only then does it travel up to the graph.
        QSpontaneKeyEvent::setSpontaneous(&event);
        qApp->notify(plot(channel), &event);
    }

    void expectAllGraphsShow(qint64 first, qint64 last)
    {
        EXPECT_EQ(view->visibleRange().first, first);
        EXPECT_EQ(view->visibleRange().last, last);
        for (ZGraph* graph : graphs) {
            EXPECT_EQ(graph->historyScale().first, first);
            EXPECT_EQ(graph->historyScale().count, last - first);
        }
    }

    QWidget window;
    std::vector<ZGraph*> graphs;
    std::vector<SampleHistory> histories = std::vector<SampleHistory>(channels);
    HistoryView* view = nullptr;
    QWidget* elsewhere = nullptr;
};

} // namespace

TEST_F(HistoryViewTest, WheelZoomsAllGraphsAroundThePointer)
{
    view->setLive(false);
    expectAllGraphsShow(0, records);
    const int x = 150;
    const qint64 anchor = graphs[4]->historyScale().indexAt(x);
    qint64 span = records;
    for (int notch = 0; notch < 45; ++notch) {
        wheel(4, QPoint(x, 20), 120);
        const HistoryView::Range range = view->visibleRange();
        ASSERT_EQ(graphs[4]->historyScale().indexAt(x), anchor) << "after notch " << notch;
        EXPECT_EQ(range.last - range.first, std::max<qint64>(std::llround(span * 0.8), HistoryView::minimumSpan));
        span = range.last - range.first;
        expectAllGraphsShow(range.first, range.last);
    }
    EXPECT_EQ(span, HistoryView::minimumSpan);
    EXPECT_EQ(view->cursorIndex(), anchor) << "the pointer's cursor stays on its sample";

    for (int notch = 0; notch < 60; ++notch)
        wheel(7, QPoint(x, 20), -120);
    expectAllGraphsShow(0, records);
}

TEST_F(HistoryViewTest, DragPansWithoutPinning)
{
    view->setLive(false);
    view->showRange(5000, 6000);
    QSignalSpy pins(view, &HistoryView::cursorPinned);
    const int w = plot(2)->width();
    QTest::mousePress(plot(2), Qt::LeftButton, {}, QPoint(100, 20));
    QTest::mouseMove(plot(2), QPoint(200, 20));
    QTest::mouseMove(plot(2), QPoint(300, 20));
    QTest::mouseRelease(plot(2), Qt::LeftButton, {}, QPoint(300, 20));
    const qint64 first = 5000 - std::llround(200.0 * 1000 / w);
    expectAllGraphsShow(first, first + 1000);
    EXPECT_EQ(pins.count(), 0);

    // Dragged past the start, the view stops at the first sample.
    view->showRange(200, 1200);
    QTest::mousePress(plot(8), Qt::LeftButton, {}, QPoint(10, 20));
    QTest::mouseMove(plot(8), QPoint(w - 1, 20));
    QTest::mouseRelease(plot(8), Qt::LeftButton, {}, QPoint(w - 1, 20));
    expectAllGraphsShow(0, 1000);
}

TEST_F(HistoryViewTest, ScrollBarScrollsAndShowAllShowsAll)
{
    EXPECT_FALSE(view->scrollBar()->isVisible());
    view->setLive(false);
    EXPECT_TRUE(view->scrollBar()->isVisible());
    view->showRange(1000, 3000);
    EXPECT_EQ(view->scrollBar()->maximum(), records - 2000);
    EXPECT_EQ(view->scrollBar()->pageStep(), 2000);
    EXPECT_EQ(view->scrollBar()->value(), 1000);

    view->scrollBar()->setValue(7000);
    expectAllGraphsShow(7000, 9000);
    // The bottom graph carries the index axis, and is that much taller where
    // the graphs are squeezed to their least height.
    EXPECT_STREQ(graphs.back()->xAxisTexts().title.cStr(), "Record");
    graphs.back()->plotArea()->grab();
    EXPECT_STREQ(graphs.back()->xAxisTexts().low.cStr(), "7000        ");
    EXPECT_STREQ(graphs.back()->xAxisTexts().high.cStr(), "        8999");
    window.resize(600, window.minimumSizeHint().height());
    QTest::qWait(0);
    EXPECT_NEAR(graphs.back()->plotArea()->height(), graphs.front()->plotArea()->height(), 1);

    view->showAll();
    expectAllGraphsShow(0, records);
    EXPECT_EQ(view->scrollBar()->maximum(), 0);
}

TEST_F(HistoryViewTest, PointingDrawsOneCursorThroughAllGraphs)
{
    view->setLive(false);
    view->showRange(4000, 8000);
    QSignalSpy moved(view, &HistoryView::cursorMoved);
    QSignalSpy left(view, &HistoryView::cursorLeft);

    QTest::mouseMove(plot(3), QPoint(120, 10));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toLongLong(), graphs[3]->historyScale().indexAt(120));
    for (int c = 0; c < channels; ++c) {
        const QImage image = plotImage(c);
        EXPECT_EQ(countIn(image, red, 120), image.height()) << "graph " << c;
        EXPECT_EQ(countIn(image, red), image.height()) << "graph " << c;
    }

    // From one graph to another the cursor moves and never leaves.
    QTest::mouseMove(plot(7), QPoint(121, 30));
    QTest::mouseMove(plot(8), QPoint(121, 30));
    QCoreApplication::processEvents();
    EXPECT_EQ(left.count(), 0);
    EXPECT_EQ(view->cursorIndex(), graphs[8]->historyScale().indexAt(121));
    EXPECT_EQ(countIn(plotImage(0), red, 121), plot(0)->height());

    QTest::mouseMove(elsewhere, QPoint(10, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(left.count(), 1);
    EXPECT_EQ(view->cursorIndex(), -1);
    for (int c = 0; c < channels; ++c)
        EXPECT_EQ(countIn(plotImage(c), red), 0) << "graph " << c;
}

TEST_F(HistoryViewTest, ClickPinsAndClickOrEscapeUnpins)
{
    view->setLive(false);
    view->showRange(4000, 8000);
    QSignalSpy pinned(view, &HistoryView::cursorPinned);
    QSignalSpy unpinned(view, &HistoryView::cursorUnpinned);

    QTest::mouseClick(plot(1), Qt::LeftButton, {}, QPoint(80, 10));
    ASSERT_EQ(pinned.count(), 1);
    EXPECT_EQ(pinned.at(0).at(0).toLongLong(), graphs[1]->historyScale().indexAt(80));
    EXPECT_EQ(view->pinnedIndex(), graphs[1]->historyScale().indexAt(80));
    QTest::mouseMove(plot(1), QPoint(200, 10));
    for (int c = 0; c < channels; ++c)
        EXPECT_EQ(countIn(plotImage(c), green, 80), plot(c)->height()) << "graph " << c;

    // The click gave the graph the focus, so Escape reaches it.
    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    EXPECT_EQ(unpinned.count(), 1);
    EXPECT_EQ(countIn(plotImage(4), green), 0);

    QTest::mouseClick(plot(5), Qt::LeftButton, {}, QPoint(80, 10));
    EXPECT_EQ(pinned.count(), 2);
    QTest::mouseClick(plot(6), Qt::LeftButton, {}, QPoint(81, 10));
    EXPECT_EQ(unpinned.count(), 2);
    EXPECT_EQ(view->pinnedIndex(), -1);
}

// Live, the graphs paint their live windows exactly as before and the
// pointer does nothing; records still go into the history.
TEST_F(HistoryViewTest, LiveShowsTheLiveWindowsUntouched)
{
    std::vector<QImage> plots, labels;
    for (int c = 0; c < channels; ++c) {
        plots.push_back(plotImage(c));
        labels.push_back(graphs[size_t(c)]->yAxis()->grab().toImage());
    }
    QSignalSpy moved(view, &HistoryView::cursorMoved);
    wheel(2, QPoint(100, 10), 120);
    QTest::mouseMove(plot(2), QPoint(100, 10));
    QTest::mouseClick(plot(2), Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(moved.count(), 0);
    EXPECT_EQ(view->pinnedIndex(), -1);

    view->setLive(false);
    wheel(2, QPoint(100, 10), 360);
    QTest::mouseClick(plot(2), Qt::LeftButton, {}, QPoint(100, 10));
    QSignalSpy left(view, &HistoryView::cursorLeft);
    QSignalSpy unpinned(view, &HistoryView::cursorUnpinned);
    view->setLive(true);
    EXPECT_EQ(left.count(), 1);
    EXPECT_EQ(unpinned.count(), 1);
    EXPECT_FALSE(view->scrollBar()->isVisible());
    QTest::qWait(0);
    EXPECT_EQ(graphs.back()->xAxis()->height(), 0);
    EXPECT_EQ(graphs.back()->minimumHeight(), 55);
    for (int c = 0; c < channels; ++c) {
        EXPECT_EQ(plotImage(c), plots[size_t(c)]) << "graph " << c;
        EXPECT_EQ(graphs[size_t(c)]->yAxis()->grab().toImage(), labels[size_t(c)]) << "graph " << c;
    }
    EXPECT_EQ(view->count(), records);
}

// Paused, records keep arriving: the view stays, the scroll bar reaches them.
TEST_F(HistoryViewTest, AppendWhilePausedAndClear)
{
    view->setLive(false);
    view->showRange(0, 1000);
    for (int c = 0; c < channels; ++c)
        histories[std::size_t(c)].append(float(c + 1));
    view->samplesAppended();
    EXPECT_EQ(view->count(), records + 1);
    expectAllGraphsShow(0, 1000);
    EXPECT_EQ(view->scrollBar()->maximum(), records + 1 - 1000);
    EXPECT_EQ(view->channel(9).at(records), 10.0f);

    for (SampleHistory& history : histories)
        history.clear();
    view->samplesReplaced();
    EXPECT_EQ(view->visibleRange().last, 0);
    EXPECT_EQ(countIn(plotImage(0), blue), 0);
    // Nothing to point at: no cursor names a record that is not there.
    QSignalSpy moved(view, &HistoryView::cursorMoved);
    wheel(3, QPoint(50, 10), 120);
    QTest::mouseMove(plot(3), QPoint(60, 10));
    EXPECT_EQ(moved.count(), 0);
    EXPECT_EQ(view->cursorIndex(), -1);
}

// Reading a history without the mouse: the graphs take the focus from a
// button, the cursor walks record by record and keeps in view, Space pins,
// + and - zoom around the cursor, Shift+arrows pan; while live the keys do nothing.
TEST_F(HistoryViewTest, KeysWalkTheCursorPinZoomAndPan)
{
    HistoryKeys keys(*view, graphs);
    const auto press = [this](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window.windowHandle(), key, modifiers);
    };
    auto* button = new QPushButton("Stop", &window);
    button->setFocus();
    view->setLive(false);
    keys.historyShown();
    ASSERT_EQ(window.focusWidget(), graphs.front());
    view->showRange(1000, 1100);
    QSignalSpy pins(view, &HistoryView::cursorPinned);

    press(Qt::Key_Right);
    EXPECT_EQ(view->cursorIndex(), 1050) << "no cursor yet: it shows in the middle";
    press(Qt::Key_Right), press(Qt::Key_Right), press(Qt::Key_Left), press(Qt::Key_Space);
    EXPECT_EQ(view->pinnedIndex(), 1051);
    EXPECT_EQ(pins.count(), 1);
    for (int step = 0; step < 60; ++step)
        press(Qt::Key_Right);
    EXPECT_EQ(view->cursorIndex(), 1111);
    expectAllGraphsShow(1012, 1112);
    const int cursorColumn = graphs[2]->historyScale().columnOf(1111);
    press(Qt::Key_Plus);
    EXPECT_EQ(view->visibleRange().last - view->visibleRange().first, 80);
    EXPECT_EQ(graphs[2]->historyScale().indexAt(cursorColumn), 1111) << "the cursor's record keeps its place";
    press(Qt::Key_Minus);
    EXPECT_EQ(view->visibleRange().last - view->visibleRange().first, 100);
    const qint64 first = view->visibleRange().first;
    press(Qt::Key_Right, Qt::ShiftModifier);
    expectAllGraphsShow(first + 10, first + 110);
    press(Qt::Key_Left, Qt::ShiftModifier), press(Qt::Key_Left, Qt::ShiftModifier);
    expectAllGraphsShow(first - 10, first + 90);
    EXPECT_EQ(view->cursorIndex(), 1111) << "panning leaves the cursor where it is";
    button->setFocus();
    wheel(5, QPoint(100, 20), 120);
    EXPECT_EQ(window.focusWidget(), graphs[5]) << "the wheel gives the graphs the keys";

    view->setLive(true);
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Space, Qt::Key_Plus})
        QTest::keyClick(graphs.front(), key);
    EXPECT_EQ(view->cursorIndex() + view->pinnedIndex(), -2);
    EXPECT_EQ(pins.count(), 1);
}
