// What the graph remembers and what its labels show: ranges, titles, layout.
#include "GraphFixture.h"

#include "AxisLabel.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <cstring>

namespace {

std::vector<float> ramp(int n)
{
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = static_cast<float>(i);
    return v;
}

void expectText(const ZString& actual, const char* expected)
{
    EXPECT_STREQ(actual.cStr(), expected);
}

} // namespace

TEST_F(GraphFixture, RangeShownIsSettledByPainting)
{
    double start = -1, end = -1;
    graph.setData(ramp(10));
    graph.getXRange(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);

    plotImage();
    graph.getXRange(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 9);
}

TEST_F(GraphFixture, FixedVerticalRangeIsShownWhateverTheSamples)
{
    graph.setYLabel("Speed");
    graph.setYRange(-5, 0);
    expectText(graph.yAxisTexts().low, "          -5");
    expectText(graph.yAxisTexts().high, "           0");

    graph.setData({100, 200, -300});
    plotImage();
    expectText(graph.yAxisTexts().low, "          -5");
    expectText(graph.yAxisTexts().high, "           0");
}

TEST_F(GraphFixture, ZeroVerticalRangeReturnsToAutomatic)
{
    graph.setData({1, 3, 2});
    graph.setYRange(-5, 10);
    plotImage();
    graph.setYRange(0, 0);
    // Until the next painting with samples the bounds read 0.
    expectText(graph.yAxisTexts().low, "           0");
    expectText(graph.yAxisTexts().high, "           0");

    plotImage();
    expectText(graph.yAxisTexts().low, "           1");
    expectText(graph.yAxisTexts().high, "           3");
}

TEST_F(GraphFixture, ZeroHorizontalRangeReturnsToAutomatic)
{
    graph.setData(ramp(10));
    graph.setXRange(2, 5);
    plotImage();
    double start = 0, end = 0;
    graph.getXRange(start, end);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 5);

    graph.setXRange(0, 0);
    plotImage();
    graph.getXRange(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 9);
}

TEST_F(GraphFixture, HorizontalLabelOfFullWindow)
{
    graph.setXLabel("Samples");
    graph.setData(ramp(2048));
    plotImage();
    const AxisLabel::Texts texts = graph.xAxisTexts();
    expectText(texts.low, "0           ");
    expectText(texts.high, "        2047");
    expectText(texts.title, "Samples");
}

TEST_F(GraphFixture, DataIsCopiedBothWays)
{
    std::vector<float> given = {1, 2, 3};
    graph.setData(given);
    given[0] = 99;
    std::vector<float> taken = {7};
    graph.getData(taken);
    EXPECT_EQ(taken, (std::vector<float>{1, 2, 3}));
    taken[1] = 42;
    std::vector<float> again;
    graph.getData(again);
    EXPECT_EQ(again, (std::vector<float>{1, 2, 3}));
}

TEST_F(GraphFixture, ClearForgetsOnlyTheSamples)
{
    graph.setXLabel("Index");
    graph.setYLabel("Volts");
    graph.setGrid(4, 0);
    graph.setXRange(1, 3);
    graph.setYRange(-1, 20);
    graph.setData({0, 5, 10, 15});
    plotImage();

    graph.clear();
    std::vector<float> samples;
    graph.getData(samples);
    EXPECT_TRUE(samples.empty());

    const QImage image = plotImage();
    EXPECT_EQ(count(image, blue), 0);
    EXPECT_GT(countInColumn(image, 50, black), 0);

    double start = 0, end = 0;
    graph.getXRange(start, end);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 3);
    expectText(graph.xAxisTexts().title, "Index");
    expectText(graph.yAxisTexts().title, "Volts");
    expectText(graph.yAxisTexts().low, "          -1");
    expectText(graph.yAxisTexts().high, "          20");

    // The requested ranges stay too.
    graph.setData({0, 5, 10, 15});
    plotImage();
    graph.getXRange(start, end);
    EXPECT_EQ(end, 3);
    expectText(graph.yAxisTexts().high, "          20");
}

TEST_F(GraphFixture, BottomRowIsThereOnlyWithHorizontalTitle)
{
    AxisLabel* bottom = graph.xAxis();
    QWidget* corner = graph.findChild<QWidget*>("corner");
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(bottom->height(), 0);
    EXPECT_EQ(corner->height(), 0);

    graph.setXLabel("Index");
    QTest::qWait(0);
    graph.adjustSize();
    EXPECT_EQ(bottom->height(), ZGraph::xAxisLabelHeight);
    EXPECT_EQ(corner->height(), 0);
    EXPECT_EQ(bottom->geometry().top(), graph.plotArea()->parentWidget()->geometry().bottom() + 1);
    EXPECT_GT(count(bottom->grab().toImage(), blue), 0);

    graph.setXLabel("");
    graph.adjustSize();
    EXPECT_EQ(bottom->height(), 0);
}

TEST_F(GraphFixture, VerticalLabelColumnKeepsItsWidth)
{
    AxisLabel* left = graph.yAxis();
    EXPECT_EQ(left->width(), ZGraph::defaultYLabelWidth);
    EXPECT_EQ(count(left->grab().toImage(), blue), 0);

    graph.setYLabel("Throttle");
    EXPECT_GT(count(left->grab().toImage(), blue), 0);

    graph.setYLabelWidth(60);
    graph.adjustSize();
    EXPECT_EQ(left->width(), 60);
}

QImage paintedAfresh(QWidget* child)
{
    return child->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// New samples must reach the screen through the event loop alone, and Qt
// paints the labels and the plot area in one pass in an order of its own: the
// labels must already show the new range.
TEST_F(GraphFixture, NewSamplesReachTheScreen)
{
    graph.setYLabel("Current");
    graph.setXLabel("Index");
    graph.setData({0, 1});
    QTest::qWait(20);
    graph.setData({-700, 2047, 3});
    QTest::qWait(20);

    EXPECT_GT(count(shownOnScreen(graph, graph.plotArea()), blue), 100);
    expectText(graph.yAxisTexts().high, "        2047");
    expectText(graph.xAxisTexts().high, "           2");

    const auto expectScreenUpToDate = [this] {
        for (QWidget* child : {static_cast<QWidget*>(graph.plotArea()), static_cast<QWidget*>(graph.yAxis()),
                               static_cast<QWidget*>(graph.xAxis())}) {
            EXPECT_EQ(shownOnScreen(graph, child), paintedAfresh(child)) << child->metaObject()->className();
        }
    };
    expectScreenUpToDate();

    // Same extremes, another line: only the plot area changes.
    graph.setData({-700, 0, 2047});
    QTest::qWait(20);
    expectScreenUpToDate();

    // Same values, one sample more: the index range changes.
    graph.setData({-700, 0, 2047, 5});
    QTest::qWait(20);
    expectScreenUpToDate();
    expectText(graph.xAxisTexts().high, "           3");
}

// The vertical label as laid out: tick marks at rows 2 and h - 3 on the right
// edge, the maximum at the top, the minimum 16 pixels above the bottom, the
// title 8 pixels above the middle; blue on the background.
QImage verticalLabelAsDrawn(AxisLabel* label, const char* max, const char* min, const char* title)
{
    const int w = label->width();
    const int h = label->height();
    QImage image(label->size(), QImage::Format_RGB32);
    image.fill(label->palette().color(label->backgroundRole()));
    QPainter painter(&image);
    painter.setFont(label->font());
    painter.setPen(QPen(Qt::blue, 0));
    painter.drawLine(w - 5, 2, w, 2);
    painter.drawText(QRect(0, 3, w, 16), Qt::AlignLeft, max);
    painter.drawLine(w - 5, h - 3, w, h - 3);
    painter.drawText(QRect(0, h - 16, w, h), Qt::AlignLeft, min);
    painter.drawText(QRect(0, h / 2 - 8, w, h / 2 + 8), Qt::AlignLeft, title);
    return image;
}

TEST_F(GraphFixture, VerticalLabelPicture)
{
    graph.setYLabel("Speed");
    graph.setData({-3, 8, 1});
    QTest::qWait(0);
    AxisLabel* label = graph.yAxis();

    const QImage expected = verticalLabelAsDrawn(label, "           8", "          -3", "Speed");
    EXPECT_EQ(paintedAfresh(label), expected);
    EXPECT_EQ(paintedAfresh(label), expected);  // again, from the kept layouts

    graph.setData({-3, 9, 1});
    EXPECT_EQ(paintedAfresh(label), verticalLabelAsDrawn(label, "           9", "          -3", "Speed"));

    QFont larger = label->font();
    larger.setPointSize(larger.pointSize() + 3);
    graph.setFont(larger);
    EXPECT_EQ(paintedAfresh(label), verticalLabelAsDrawn(label, "           9", "          -3", "Speed"));
}

// The horizontal label: ticks at columns 2 and w - 3 on the top edge, the
// start on the left, the end on the right, the title in the centre.
TEST_F(GraphFixture, HorizontalLabelPicture)
{
    graph.setXLabel("Index");
    graph.setData(ramp(2048));
    QTest::qWait(0);
    graph.adjustSize();
    AxisLabel* label = graph.xAxis();
    const int w = label->width();
    const int h = label->height();
    ASSERT_EQ(h, ZGraph::xAxisLabelHeight);

    QImage expected(label->size(), QImage::Format_RGB32);
    expected.fill(label->palette().color(label->backgroundRole()));
    {
        QPainter painter(&expected);
        painter.setFont(label->font());
        painter.setPen(QPen(Qt::blue, 0));
        painter.drawLine(2, 0, 2, 6);
        painter.drawText(QRect(8, 0, w - 16, h), Qt::AlignLeft, "0           ");
        painter.drawLine(w - 3, 0, w - 3, 6);
        painter.drawText(QRect(8, 0, w - 16, h), Qt::AlignRight, "        2047");
        painter.drawText(QRect(0, 0, w, h), Qt::AlignHCenter | Qt::AlignVCenter, "Index");
    }
    EXPECT_EQ(paintedAfresh(label), expected);
}
