#include "XyPlotPicture.h"

#include "XyQuantities.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int barWidth = 16;  // the colour scale's
constexpr int gap = 6;

// Labels of an axis at round steps (1, 2 or 5 times a power of ten), about
// one per `room` pixels of its `length`.
struct Ticks
{
    std::vector<double> values;
    int decimals = 0;
};

Ticks ticksOf(DensityGrid::Span span, int length, int room)
{
    Ticks ticks;
    const double rough = (span.high - span.low) / std::max(2, length / room);
    if (!(rough > 0))
        return ticks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = magnitude * 10;
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * magnitude >= rough) {
            step = factor * magnitude;
            break;
        }
    ticks.decimals = std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
    for (double n = std::ceil(span.low / step); n * step <= span.high + step * 1e-9; ++n)
        ticks.values.push_back(n * step + 0.0);  // + 0.0: never "-0"
    return ticks;
}

QString label(double value, int decimals)
{
    return QString::number(std::abs(value) < 1e-12 ? 0.0 : value, 'f', decimals);
}

QString titleOf(int quantity)
{
    const ChannelInfo& info = xyInfo(quantity);
    return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(info.name), QString::fromUtf8(info.unit));
}

// The span a plot shows for values from low to high: a little wider, so that
// the extremes stand clear of the frame, and never empty.
DensityGrid::Span shown(DensityGrid::Span values)
{
    if (values.low > values.high)
        return {0, 1};
    const double width = values.high - values.low;
    const double margin = width > 0 ? width * 0.02 : std::max(1.0, std::abs(values.low) * 0.05);
    return {values.low - margin, values.high + margin};
}

// Low to high: blue, cyan, green, amber, red.
const std::array<QRgb, 256>& colourScale()
{
    static const std::array<QRgb, 256> scale = [] {
        const QColor stops[] = {QColor(0x2c, 0x3e, 0x9e), QColor(0x1f, 0x9e, 0xd6), QColor(0x3f, 0xb3, 0x4f),
                                QColor(0xf0, 0xb3, 0x23), QColor(0xd7, 0x30, 0x1f)};
        std::array<QRgb, 256> colours{};
        for (int i = 0; i < 256; ++i) {
            const double at = i / 255.0 * 4;
            const int stop = std::min(3, int(at));
            const double t = at - stop;
            const QColor& a = stops[stop];
            const QColor& b = stops[stop + 1];
            colours[std::size_t(i)] = qRgb(int(a.red() + (b.red() - a.red()) * t), int(a.green() + (b.green() - a.green()) * t),
                                           int(a.blue() + (b.blue() - a.blue()) * t));
        }
        return colours;
    }();
    return scale;
}

int shadeIndex(double value, DensityGrid::Span span)
{
    const double width = span.high - span.low;
    return std::clamp(int(width > 0 ? (value - span.low) / width * 255 : 127.5), 0, 255);
}

} // namespace

XyPlotPicture::XyPlotPicture(const std::vector<SampleHistory>& histories)
    : histories(histories), chosen{Current, Voltage, Time}
{
}

bool XyPlotPicture::Made::operator==(const Made& other) const
{
    return choice == other.choice && first == other.first && last == other.last && count == other.count &&
           generation == other.generation && size == other.size;
}

void XyPlotPicture::setStretch(qint64 from, qint64 to, const QString& what)
{
    first = from;
    last = to;
    which = what;
}

QImage XyPlotPicture::picture(const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter, image.rect());
    return image;
}

void XyPlotPicture::paint(QPainter& painter, const QRect& area)
{
    const qint64 count = histories[Time].count();
    const qint64 from = std::clamp<qint64>(first, 0, count);
    const qint64 to = std::clamp<qint64>(last, from, count);
    const int choices[3] = {chosen.x, chosen.y, chosen.shade};
    for (int axis = 0; axis < 3; ++axis)
        spans[axis] = shown(xySpan(histories, choices[axis], from, to));

    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height();
    const auto widest = [&metrics](DensityGrid::Span span, int length) {
        const Ticks ticks = ticksOf(span, length, 2 * metrics.height());
        int width = 0;
        for (const double value : ticks.values)
            width = std::max(width, metrics.horizontalAdvance(label(value, ticks.decimals)));
        return width;
    };
    const int height = area.height() - 3 * line - 4 * gap;
    const int left = area.left() + line + 2 * gap + widest(spans[1], height);
    const int right = area.right() - (2 * gap + barWidth + widest(spans[2], height) + 2 * gap + line + gap);
    plot = QRect(QPoint(left, area.top() + line + 2 * gap), QPoint(right, area.bottom() - 2 * line - 2 * gap));
    if (plot.width() < 10 || plot.height() < 10)
        return;

    painter.setPen(Qt::black);
    const QString title = tr("%1 against %2, coloured by %3")
                              .arg(QString::fromLatin1(xyInfo(chosen.y).name), QString::fromLatin1(xyInfo(chosen.x).name),
                                   QString::fromLatin1(xyInfo(chosen.shade).name));
    const QString records = to > from ? tr("records %1 to %2, %3").arg(from).arg(to - 1).arg(which) : tr("no records");
    painter.drawText(QRect(area.left(), area.top() + gap / 2, area.width(), line), Qt::AlignCenter,
                     title + QStringLiteral(": ") + records);
    paintAxes(painter);
    const Made wanted = {chosen, from, to, count, histories[Time].generation(), plot.size()};
    if (!(wanted == made) || density.isNull())
        makeDensity(wanted);
    painter.drawImage(plot.topLeft(), density);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot.adjusted(0, 0, -1, -1));
    if (to == from)
        painter.drawText(plot, Qt::AlignCenter, tr("No records in this range"));
    paintColourScale(painter, QRect(plot.right() + 2 * gap, plot.top(), barWidth, plot.height()));
    paintCursor(painter);
}

void XyPlotPicture::makeDensity(const Made& wanted)
{
    made = wanted;
    const DensityGrid grid = xyDensity(histories, chosen.x, chosen.y, chosen.shade, wanted.first, wanted.last,
                                       plot.width(), plot.height(), spans[0], spans[1]);
    drawn = grid.total();
    density = QImage(plot.size(), QImage::Format_ARGB32_Premultiplied);
    density.fill(Qt::transparent);
    const std::array<QRgb, 256>& colours = colourScale();
    const double most = std::log1p(double(grid.mostInACell()));
    for (int row = 0; row < grid.rows(); ++row) {
        QRgb* pixels = reinterpret_cast<QRgb*>(density.scanLine(grid.rows() - 1 - row));
        for (int column = 0; column < grid.columns(); ++column) {
            const quint32 n = grid.count(column, row);
            if (n == 0)
                continue;
            // A lone record shows pale, the busiest pixel in full colour.
            const double strength = 0.35 + 0.65 * std::log1p(double(n)) / most;
            const QRgb colour = colours[std::size_t(shadeIndex(grid.meanShade(column, row), spans[2]))];
            const auto mix = [strength](int c) { return int(255 - (255 - c) * strength); };
            pixels[column] = qRgb(mix(qRed(colour)), mix(qGreen(colour)), mix(qBlue(colour)));
        }
    }
}

void XyPlotPicture::paintAxes(QPainter& painter) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height();
    const QPen grid(QColor(0xdd, 0xdd, 0xdd), 1, Qt::DotLine);
    const Ticks across = ticksOf(spans[0], plot.width(), 6 * line);
    for (const double value : across.values) {
        const int x = plot.left() + int((value - spans[0].low) / (spans[0].high - spans[0].low) * plot.width());
        painter.setPen(grid);
        painter.drawLine(x, plot.top(), x, plot.bottom());
        painter.setPen(Qt::black);
        painter.drawLine(x, plot.bottom(), x, plot.bottom() + gap / 2);
        painter.drawText(QRect(x - 50, plot.bottom() + gap, 100, line), Qt::AlignHCenter | Qt::AlignTop,
                         label(value, across.decimals));
    }
    const Ticks down = ticksOf(spans[1], plot.height(), 2 * line);
    int widest = 0;
    for (const double value : down.values) {
        const int y = plot.bottom() - int((value - spans[1].low) / (spans[1].high - spans[1].low) * plot.height());
        const QString text = label(value, down.decimals);
        widest = std::max(widest, metrics.horizontalAdvance(text));
        painter.setPen(grid);
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(Qt::black);
        painter.drawLine(plot.left() - gap / 2, y, plot.left(), y);
        painter.drawText(QRect(plot.left() - gap - 200, y - line / 2, 200, line), Qt::AlignRight | Qt::AlignVCenter,
                         text);
    }
    painter.drawText(QRect(plot.left(), plot.bottom() + gap + line, plot.width(), line + gap), Qt::AlignCenter,
                     titleOf(chosen.x));
    painter.save();
    painter.translate(plot.left() - 2 * gap - widest, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-plot.height() / 2, -line, plot.height(), line), Qt::AlignCenter, titleOf(chosen.y));
    painter.restore();
}

void XyPlotPicture::paintColourScale(QPainter& painter, const QRect& bar) const
{
    const std::array<QRgb, 256>& colours = colourScale();
    for (int y = 0; y < bar.height(); ++y) {
        painter.setPen(QColor(colours[std::size_t(255 - y * 255 / std::max(1, bar.height() - 1))]));
        painter.drawLine(bar.left(), bar.top() + y, bar.right(), bar.top() + y);
    }
    painter.setPen(Qt::black);
    painter.drawRect(bar.adjusted(0, 0, -1, -1));
    const int line = painter.fontMetrics().height();
    const Ticks ticks = ticksOf(spans[2], bar.height(), 2 * line);
    int widest = 0;
    for (const double value : ticks.values) {
        const int y = bar.bottom() - int((value - spans[2].low) / (spans[2].high - spans[2].low) * bar.height());
        const QString text = label(value, ticks.decimals);
        widest = std::max(widest, painter.fontMetrics().horizontalAdvance(text));
        painter.drawLine(bar.right(), y, bar.right() + gap / 2, y);
        painter.drawText(QRect(bar.right() + gap, y - line / 2, 200, line), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    painter.save();
    painter.translate(bar.right() + 2 * gap + widest + line, bar.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-bar.height() / 2, -line, bar.height(), line), Qt::AlignCenter, titleOf(chosen.shade));
    painter.restore();
}

void XyPlotPicture::paintCursor(QPainter& painter) const
{
    if (cursor < 0 || cursor >= histories[Time].count())
        return;
    const double x = xyValue(histories, chosen.x, cursor), y = xyValue(histories, chosen.y, cursor);
    const QPointF at(plot.left() + (x - spans[0].low) / (spans[0].high - spans[0].low) * plot.width(),
                     plot.bottom() - (y - spans[1].low) / (spans[1].high - spans[1].low) * plot.height());
    if (!QRectF(plot).contains(at))
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 4));
    painter.drawEllipse(at, 7, 7);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawEllipse(at, 7, 7);
    painter.drawText(at + QPointF(10, -8), tr("record %1").arg(cursor));
}
