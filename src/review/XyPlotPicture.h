#pragma once
// The X-Y plot as a picture: one quantity against another over a stretch of
// the recording, each pixel coloured by the mean of a third over the records
// that fall in it and paler where they are few, with axes, a colour scale and
// a ring around the cursor's record. The window and the export both draw it.

#include "DensityGrid.h"
#include "SampleHistory.h"

#include <QCoreApplication>
#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

class QPainter;

class XyPlotPicture
{
    Q_DECLARE_TR_FUNCTIONS(XyPlotPicture)

public:
    // Quantities as XyQuantities numbers them.
    struct Choice
    {
        int x;
        int y;
        int shade;
        bool operator==(const Choice& other) const { return x == other.x && y == other.y && shade == other.shade; }
    };

    explicit XyPlotPicture(const std::vector<SampleHistory>& histories);

    void setChoice(const Choice& choice) { chosen = choice; }
    const Choice& choice() const { return chosen; }
    // Records [first, last), kept inside the histories; `which` says what they are.
    void setStretch(qint64 first, qint64 last, const QString& which);
    // The record to ring, or -1.
    void setCursor(qint64 index) { cursor = index; }

    void paint(QPainter& painter, const QRect& area);
    // The picture alone, on white.
    QImage picture(const QSize& size);

    // What the last painting showed: the plot area and the spans of its axes.
    QRect plotArea() const { return plot; }
    DensityGrid::Span xSpan() const { return spans[0]; }
    DensityGrid::Span ySpan() const { return spans[1]; }
    qint64 pointsDrawn() const { return drawn; }

private:
    // What the density picture was made of: another painting of the same
    // (a cursor moved) reuses it.
    struct Made
    {
        Choice choice;
        qint64 first, last, count;
        unsigned generation;
        QSize size;
        bool operator==(const Made& other) const;
    };
    void makeDensity(const Made& wanted);
    void paintAxes(QPainter& painter) const;
    void paintColourScale(QPainter& painter, const QRect& bar) const;
    void paintCursor(QPainter& painter) const;

    const std::vector<SampleHistory>& histories;
    Choice chosen;
    qint64 first = 0, last = 0;
    QString which;
    qint64 cursor = -1;

    QRect plot;
    DensityGrid::Span spans[3] = {};  // x, y, shade
    QImage density;
    Made made = {};
    qint64 drawn = 0;
};
