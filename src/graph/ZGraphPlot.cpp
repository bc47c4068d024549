#include "ZGraphPlot.h"

#include "ZGraph.h"

#include <QPaintEvent>
#include <QPainter>

ZGraphPlot::ZGraphPlot(QWidget* parent, ZGraph* graph)
    : QWidget(parent), graph(graph)
{
    // Every painting fills the whole area, so Qt need not paint what lies below.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// A resize brings a paint event of the whole area with it, so painting here is
// all that resizing needs too.
void ZGraphPlot::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    graph->redraw(painter, event->rect());
}
