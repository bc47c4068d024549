#pragma once
// One axis label of a graph: the range last shown as two numbers with tick marks
// at the ends of the axis, and the axis title. The label has no text of its own;
// its graph knows which axis it is and paints it.

#include "ZString.h"

#include <QFont>
#include <QStaticText>
#include <QWidget>

class ZGraph;

class AxisLabel : public QWidget
{
    Q_OBJECT

public:
    AxisLabel(QWidget* parent, ZGraph* graph);

    // The texts a label draws: its two range values and the title.
    struct Texts
    {
        ZString low;   // left end (horizontal axis) or bottom (vertical axis)
        ZString high;  // right end or top
        ZString title;
    };
    // Numbers have a decimal point whatever the user's locale.
    // Start left-justified and end right-justified, each in 12 characters.
    static Texts horizontalTexts(double start, double end, const ZString& title);
    // Both right-justified in 12 characters; drawn left-aligned, so the
    // numbers of a column line up at their right.
    static Texts verticalTexts(double min, double max, const ZString& title);

    // Draws `text` into `rect` as QPainter::drawText does. Each of the label's
    // texts has a slot that keeps its layout while the text stays the same, so
    // a repaint with unchanged numbers costs a fraction of laying them out.
    enum TextSlot { LowText, HighText, TitleText, textSlots };
    void drawText(QPainter& painter, const QRect& rect, int flags, const ZString& text, TextSlot slot);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ZGraph* graph;  // not owned: the graph owns this widget
    QStaticText layouts[textSlots];
    QFont layoutFont;
};
