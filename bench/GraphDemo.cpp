// One graph as the program shows it, with a horizontal title and a grid as
// well, for a look at the widget or a screenshot (tools/screenshot-graph).
//
//   graphdemo [seconds]    closes by itself after the given time
#include "ZGraph.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

#include <cmath>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setPointSize(10);
    QApplication::setFont(font);

    std::vector<float> speed(400);
    for (size_t i = 0; i < speed.size(); ++i) {
        const double t = static_cast<double>(i);
        speed[i] = static_cast<float>(40.0 + 30.0 * std::sin(t / 35.0) * std::exp(-t / 400.0) + 4.0 * std::sin(t / 3.0));
    }

    ZGraph graph;
    graph.setWindowTitle("graphdemo");
    graph.setYLabel("Speed");
    graph.setXLabel("Sample");
    graph.setGrid(8, 4);
    graph.setData(speed);
    graph.resize(640, 240);
    graph.move(0, 0);
    graph.show();

    if (argc > 1)
        QTimer::singleShot(std::atoi(argv[1]) * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
