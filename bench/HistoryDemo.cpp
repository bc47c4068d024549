// The main window's ten graphs over a day's history of synthetic records,
// zoomed into a stretch, with a pinned cursor and the pointer's cursor, and a
// read-out line of what the cursors show; for a look at the history view or a
// screenshot. Wheel, drag, scroll bar and clicks work as in the program;
// Home shows everything again.
//
//   historydemo [seconds]    closes by itself after the given time
#define QTEST_QPA_MOUSE_HANDLING
#include "HistoryGraphWindow.h"
#include "HistoryView.h"
#include "ZGraph.h"
#include "ZGraphPlot.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QShortcut>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

constexpr long records = 200000;

QString readOut(const HistoryView& view, qint64 index)
{
    QString text = QString("Record %1:").arg(index);
    for (int c = 0; c < view.channels(); ++c)
        text += QString(" %1").arg(double(view.channel(c).at(index)), 0, 'f', 2);
    const qint64 pinned = view.pinnedIndex();
    if (pinned >= 0 && pinned != index) {
        text += QString("   since record %1:").arg(pinned);
        for (int c = 0; c < view.channels(); ++c)
            text += QString(" %1").arg(double(view.channel(c).at(index) - view.channel(c).at(pinned)), 0, 'f', 2);
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setPointSize(10);
    QApplication::setFont(font);

    HistoryGraphWindow window(records);
    window.setWindowTitle("historydemo");
    auto* status = new QLabel(&window);
    status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    window.layout()->addWidget(status);
    HistoryView* view = window.view();
    QObject::connect(view, &HistoryView::cursorMoved, status,
                     [&](qint64 index) { status->setText(readOut(*view, index)); });
    QObject::connect(view, &HistoryView::cursorLeft, status, &QLabel::clear);
    new QShortcut(QKeySequence(Qt::Key_Home), &window, [view] { view->showAll(); });

    window.move(0, 0);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    view->setLive(false);
    view->showRange(150000, 160000);
    QCoreApplication::processEvents();

    // Pin one cursor, then point a little further on.
    QWidget* plot = window.graphList()[2]->plotArea();
    QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(plot->width() * 3 / 10, 20));
    QTest::mouseMove(plot, QPoint(plot->width() * 6 / 10, 20));

    if (argc > 1)
        QTimer::singleShot(std::atoi(argv[1]) * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
