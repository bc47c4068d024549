#include "AxisLabel.h"

#include "ZGraph.h"

#include <QPainter>

AxisLabel::AxisLabel(QWidget* parent, ZGraph* graph)
    : QWidget(parent), graph(graph)
{
}

AxisLabel::Texts AxisLabel::horizontalTexts(double start, double end, const ZString& title)
{
    Texts texts;
    texts.low.format("%-12.6g", start);
    texts.high.format("%12.6g", end);
    texts.title = title;
    return texts;
}

AxisLabel::Texts AxisLabel::verticalTexts(double min, double max, const ZString& title)
{
    Texts texts;
    texts.low.format("%12.6g", min);
    texts.high.format("%12.6g", max);
    texts.title = title;
    return texts;
}

void AxisLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    graph->drawLabels(this, painter);
}
