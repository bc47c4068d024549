// View > X-Y Plot beside the summary panel and the history: a drive whose
// Voltage sags as Current and Temperature rise, plotted, followed through the
// summary's range and the cursor, and exported.
#include "DriveRecords.h"
#include "SummaryWindow.h"
#include "XyPlotWindow.h"
#include "XyQuantities.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The picture's pixel where the plot puts a value pair.
QRgb pixelAt(const QImage& picture, const XyPlotPicture& plot, double x, double y)
{
    const QRect area = plot.plotArea();
    const auto along = [](DensityGrid::Span s, double v) { return (v - s.low) / (s.high - s.low); };
    return picture.pixel(area.left() + int(along(plot.xSpan(), x) * area.width()),
                         area.bottom() - int(along(plot.ySpan(), y) * area.height()));
}

} // namespace

TEST(XyPlotWindow, PlotsTheSagColouredByTemperatureAndExportsIt)
{
    SummaryWindow shown;
    auto& [window, graphs, recording, history, toggle, panel] = shown;
    std::vector<Recording::Arrival> drive;
    for (int i = 0; i < 3000; ++i) {
        const double amps = i % 300 * 0.1;
        Data record = driveRecord({i / 10, 30, 100 - amps, amps});
        record.bytes[dataField::temperature] = static_cast<unsigned char>(40 + 2 * int(amps));  // 20 to 49 C
        drive.push_back({record, 1000000 + i / 10});
    }
    recording.add(drive);
    history.setLive(false);
    window.show();
    panel.showXyPlot();
    auto* xy = window.findChild<XyPlotWindow*>("xyPlot");
    ASSERT_TRUE(xy && xy->isVisible());

    xy->xChoice()->setCurrentIndex(Current);
    xy->yChoice()->setCurrentIndex(Voltage);
    xy->shadeChoice()->setCurrentIndex(Temperature);
    QImage picture = xy->shownPicture();
    const XyPlotPicture& plot = xy->plot();
    EXPECT_EQ(plot.pointsDrawn(), 3000);
    EXPECT_LT(plot.xSpan().low, 0.0);
    EXPECT_GT(plot.xSpan().high, 29.9);
    // Cool at no load (blue), hot at the most (red); nothing where no record is.
    const QColor cool = pixelAt(picture, plot, 0, 100), hot = pixelAt(picture, plot, 29.9, 70.1);
    EXPECT_GT(cool.blue(), cool.red() + 60) << cool.name().toStdString();
    EXPECT_GT(hot.red(), hot.blue() + 60) << hot.name().toStdString();
    EXPECT_LT(QColor(pixelAt(picture, plot, 29.9, 100)).saturation(), 20);

    // The cursor's record is ringed; Power on the axis; the summary's range.
    history.pointAt(2000 + 150);
    EXPECT_NE(xy->shownPicture(), picture);
    xy->yChoice()->setCurrentIndex(xyPower);
    xy->shownPicture();
    EXPECT_NEAR(plot.ySpan().high, 29.9 * 70.1, 50);
    panel.setRange(SummaryPanel::Shown);
    history.showRange(0, 100);
    EXPECT_EQ(xy->rangeChoice()->currentIndex(), SummaryPanel::Shown);
    picture = xy->shownPicture();
    EXPECT_EQ(plot.pointsDrawn(), 100);

    QTemporaryDir folder;
    ASSERT_TRUE(xy->exportTo(folder.filePath("xy.png")));
    EXPECT_EQ(QImage(folder.filePath("xy.png")).convertToFormat(picture.format()), picture);
    EXPECT_TRUE(xy->note().startsWith("Saved the plot to"));
    EXPECT_FALSE(xy->exportTo(folder.filePath("no folder/xy.png")));
    EXPECT_TRUE(xy->note().startsWith("Export failed: ")) << xy->note().toStdString();
    EXPECT_FALSE(QFile::exists(folder.filePath("no folder/xy.png")));
}
