#pragma once
// A graph shown on the offscreen platform with a plot area of a chosen size,
// and helpers to read what it painted.

#include "ZGraph.h"
#include "ZGraphPlot.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QRgb>
#include <QTest>
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

inline constexpr QRgb blue = 0xff0000ff;
inline constexpr QRgb black = 0xff000000;
inline constexpr QRgb white = 0xffffffff;

// A case's description as a test name: letters and digits, the rest '_'.
inline std::string testName(const std::string& description)
{
    std::string name;
    for (char ch : description)
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
}

// What event-driven repaints left in the window, for one child of the graph.
inline QImage shownOnScreen(ZGraph& graph, QWidget* child)
{
    const QImage window = QGuiApplication::primaryScreen()->grabWindow(graph.winId()).toImage();
    const QRect area(child->mapTo(&graph, QPoint(0, 0)), child->size());
    return window.copy(area).convertToFormat(QImage::Format_RGB32);
}

class GraphFixture : public ::testing::Test
{
protected:
    static constexpr int plotWidth = 200;
    static constexpr int plotHeight = 104;

    void SetUp() override
    {
        graph.plotArea()->setFixedSize(plotWidth, plotHeight);
        graph.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    }

    // Paints the plot area afresh with the graph's current state.
    QImage plotImage() { return graph.plotArea()->grab().toImage(); }

    static int countInColumn(const QImage& image, int x, QRgb colour)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            n += image.pixel(x, y) == colour;
        return n;
    }

    static int countInRow(const QImage& image, int y, QRgb colour)
    {
        int n = 0;
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
        return n;
    }

public:
    static int count(const QImage& image, QRgb colour)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            n += countInRow(image, y, colour);
        return n;
    }

protected:
    ZGraph graph;
};
