#pragma once
// The white, framed area of a graph in which the trace and the grid are drawn.
// It keeps no drawing state: its graph paints it.

#include <QWidget>

class ZGraph;

class ZGraphPlot : public QWidget
{
    Q_OBJECT

public:
    ZGraphPlot(QWidget* parent, ZGraph* graph);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ZGraph* graph;  // not owned: the graph owns this widget
};
