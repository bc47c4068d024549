#include "AxisLabel.h"

#include "CNumericScope.h"
#include "ZGraph.h"

#include <QPainter>
#include <QRect>
#include <QTransform>

#include <cmath>

namespace {

// %g would write a million as 1e+06: from a million on, as far as twelve
// characters reach, a number is written in digits, rounded to a whole one
// (%g's six figures round it no less).
ZString axisNumber(double value, bool leftJustified)
{
    const bool digits = std::fabs(value) >= 1e6 && std::fabs(value) < 1e11;
    ZString text;
    if (leftJustified)
        text.format(digits ? "%-12.0f" : "%-12.6g", value);
    else
        text.format(digits ? "%12.0f" : "%12.6g", value);
    return text;
}

} // namespace

AxisLabel::AxisLabel(QWidget* parent, ZGraph* graph)
    : QWidget(parent), graph(graph)
{
    // The graph erases the whole label before drawing on it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

AxisLabel::Texts AxisLabel::horizontalTexts(double start, double end, const ZString& title)
{
    CNumericScope c;
    Texts texts;
    texts.low = axisNumber(start, true);
    texts.high = axisNumber(end, false);
    texts.title = title;
    return texts;
}

AxisLabel::Texts AxisLabel::verticalTexts(double min, double max, const ZString& title)
{
    CNumericScope c;
    Texts texts;
    texts.low = axisNumber(min, false);
    texts.high = axisNumber(max, false);
    texts.title = title;
    return texts;
}

void AxisLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    graph->drawLabels(this, painter);
}

void AxisLabel::drawText(QPainter& painter, const QRect& rect, int flags, const ZString& text, TextSlot slot)
{
    if (painter.font() != layoutFont) {
        layoutFont = painter.font();
        for (QStaticText& layout : layouts)
            layout = QStaticText();
    }
    const QString qtext = QString::fromLatin1(text.cStr());
    QStaticText& layout = layouts[slot];
    if (layout.text() != qtext) {
        layout.setTextFormat(Qt::PlainText);
        layout.setText(qtext);
        layout.prepare(QTransform(), layoutFont);
    }
    // A left-aligned text that fits its rectangle sits at the rectangle's top
    // left corner, exactly where drawText puts it; anything else is left to
    // drawText, which also clips what does not fit.
    const QSizeF size = layout.size();
    if (flags == Qt::AlignLeft && size.width() <= rect.width() && size.height() <= rect.height())
        painter.drawStaticText(rect.topLeft(), layout);
    else
        painter.drawText(rect, flags, qtext);
}
