// The live trace at the sizes of the main window's graphs, pixel for pixel the
// picture of one plain polyline through every received sample, however the
// painting saves work.
#include "GraphFixture.h"

#include "PlotPixels.h"

#include <QPainter>
#include <QPen>
#include <QPoint>

#include <algorithm>
#include <cstdint>
#include <ostream>

namespace {

constexpr std::size_t window = 2048;

// Noise, steep steps and flat stretches in turn, 256 samples each.
std::vector<float> drive(std::size_t offset)
{
    std::vector<float> samples(window);
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < offset + window; ++i) {
        noise = noise * 1664525u + 1013904223u;
        float v = 0;
        switch ((i / 256) % 3) {
        case 0: v = 50 + static_cast<float>(noise >> 24) / 8; break;
        case 1: v = (i / 5) % 2 ? 90.0f : 10.0f; break;
        case 2: v = 40; break;
        }
        if (i >= offset)
            samples[i - offset] = v;
    }
    return samples;
}

QImage referencePicture(const std::vector<float>& samples, std::size_t received, QSize size)
{
    const auto extremes = std::minmax_element(samples.begin(), samples.begin() + static_cast<long>(received));
    const plotpixels::ValueScale rows(*extremes.first, *extremes.second, size.height());
    std::vector<QPoint> points;
    for (std::size_t j = 0; j < received; ++j)
        points.emplace_back(plotpixels::toPixel(static_cast<double>(j) * size.width() / (window - 1)),
                            rows.row(samples[j]));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setClipRect(image.rect());
    painter.setPen(QPen(Qt::blue, 0));
    painter.drawPolyline(points.data(), static_cast<int>(points.size()));
    return image;
}

void expectSamePixels(const QImage& painted, const QImage& reference)
{
    ASSERT_EQ(painted.size(), reference.size());
    int differing = 0;
    QPoint first;
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            if (painted.pixel(x, y) != reference.pixel(x, y) && differing++ == 0)
                first = QPoint(x, y);
        }
    }
    EXPECT_EQ(differing, 0) << "first at " << first.x() << "," << first.y();
    EXPECT_GT(GraphFixture::count(reference, blue), reference.width() / 2) << "a trace to compare";
}

struct PictureCase
{
    std::string name;
    QSize plot;
    std::size_t received, offset;
};

const std::vector<PictureCase> pictureCases = {
    {"wide, filling", {900, 55}, 700, 0},        {"wide, full", {900, 55}, window, 0},
    {"wide, full and slid", {900, 55}, window, 77}, {"narrow, filling", {200, 55}, 700, 0},
    {"narrow, full", {200, 55}, window, 0},      {"narrow, full and slid", {200, 55}, window, 131},
};

void PrintTo(const PictureCase& c, std::ostream* out)
{
    *out << c.name;
}

class TracePixelsTest : public GraphFixture, public ::testing::WithParamInterface<PictureCase>
{
};

} // namespace

TEST_P(TracePixelsTest, SameAsOnePolylineThroughEverySample)
{
    const PictureCase& c = GetParam();
    graph.plotArea()->setFixedSize(c.plot);
    std::vector<float> samples = drive(c.offset);
    std::fill(samples.begin() + static_cast<long>(c.received), samples.end(), 0.0f);
    graph.setData(samples, c.received);
    expectSamePixels(plotImage(), referencePicture(samples, c.received, c.plot));
}

// Samples arriving one at a time repaint only the columns they reach; the
// screen must still show the whole trace as one polyline draws it.
TEST_F(GraphFixture, FillingWindowReachesTheScreenAsOnePolyline)
{
    const QSize plot(900, 55);
    graph.plotArea()->setFixedSize(plot);
    std::vector<float> samples = drive(0);
    std::vector<float> filling(window, 0.0f);
    for (std::size_t received = 1; received <= 420; ++received) {
        filling[received - 1] = samples[received - 1];
        graph.setData(filling, received);
        if (received >= 300)
            QCoreApplication::processEvents();
    }
    expectSamePixels(shownOnScreen(graph, graph.plotArea()), referencePicture(filling, 420, plot));
}

INSTANTIATE_TEST_SUITE_P(Graph, TracePixelsTest, ::testing::ValuesIn(pictureCases),
                         [](const auto& info) { return testName(info.param.name); });
