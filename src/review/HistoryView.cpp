#include "HistoryView.h"

#include "IndexScale.h"
#include "ZGraph.h"
#include "ZGraphPlot.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

// A press that moves less than this is a click, not the start of a drag.
constexpr int dragThreshold = 3;
// A click this close to the pinned cursor's column unpins it.
constexpr int pinnedGrip = 2;
// One wheel notch, as mice report it.
constexpr double notchDelta = 120.0;

int toScrollValue(qint64 v)
{
    return static_cast<int>(std::min<qint64>(v, INT_MAX));
}

} // namespace

HistoryView::HistoryView(const std::vector<ZGraph*>& graphs, const std::vector<SampleHistory>& histories,
                         QWidget* scrollBarParent, QObject* parent)
    : QObject(parent), graphs(graphs), history(histories), scroller(new QScrollBar(Qt::Horizontal, scrollBarParent))
{
    scroller->hide();
    connect(scroller, &QScrollBar::valueChanged, this, &HistoryView::scrolled);
    for (ZGraph* graph : graphs)
        graph->installEventFilter(this);
}

// The scroll bar belongs to its parent widget, if it was given one.
HistoryView::~HistoryView()
{
    if (scroller && !scroller->parent())
        delete scroller;
}

void HistoryView::samplesAppended()
{
    // Paused: what arrives can be scrolled to, but the view stays where it is.
    if (!live)
        updateScrollBar();
}

void HistoryView::samplesReplaced()
{
    dropCursors();
    if (!live) {
        first = last = -1;  // so that showAll reaches every graph
        showAll();
    }
}

qint64 HistoryView::count() const
{
    return history.empty() ? 0 : history.front().count();
}

std::size_t HistoryView::bytesUsed() const
{
    std::size_t bytes = 0;
    for (const SampleHistory& channel : history)
        bytes += channel.bytesUsed();
    return bytes;
}

void HistoryView::setIndexTitle(const ZString& title)
{
    indexTitle = title;
    if (!live)
        showIndexAxis(true);
}

void HistoryView::showIndexAxis(bool show)
{
    if (graphs.empty())
        return;
    ZGraph* bottom = graphs.back();
    if (show && !indexAxisShown) {
        liveIndexTitle = bottom->xAxisTexts().title;
        liveMinimumHeight = bottom->minimumHeight();
    }
    indexAxisShown = show;
    if (!show) {
        bottom->setXLabel(liveIndexTitle);
        bottom->setMinimumHeight(liveMinimumHeight);
        return;
    }
    bottom->setXLabel(indexTitle);
    // The axis row comes out of the bottom graph; that much more height keeps
    // its plot area as high as the others' where the graphs are squeezed.
    const bool newRow = indexTitle.length() > 0 && liveIndexTitle.length() == 0;
    bottom->setMinimumHeight(liveMinimumHeight + (newRow ? ZGraph::xAxisLabelHeight : 0));
}

void HistoryView::setLive(bool on)
{
    if (on == live)
        return;
    live = on;
    takePointer(!live);
    if (live) {
        dropCursors();
        pressed = dragging = false;
        for (ZGraph* graph : graphs)
            graph->showLive();
        showIndexAxis(false);
        scroller->hide();
        return;
    }
    showIndexAxis(true);
    scroller->show();
    first = last = -1;  // so that showAll reaches every graph
    showAll();
}

void HistoryView::takePointer(bool take)
{
    for (ZGraph* graph : graphs) {
        // A move without a button reaches the graph only through children
        // that track the mouse: the others swallow it.
        graph->setMouseTracking(take);
        for (QWidget* child : graph->findChildren<QWidget*>())
            child->setMouseTracking(take);
        graph->setFocusPolicy(take ? Qt::ClickFocus : Qt::NoFocus);
        if (take)
            graph->plotArea()->setCursor(Qt::CrossCursor);
        else
            graph->plotArea()->unsetCursor();
    }
}

void HistoryView::showAll()
{
    showRange(0, count());
}

void HistoryView::showRange(qint64 from, qint64 to)
{
    if (live)
        return;
    const qint64 n = count();
    const qint64 span = std::clamp(to - from, std::min(minimumSpan, n), n);
    from = std::clamp<qint64>(from, 0, n - span);
    if (from == first && from + span == last)
        return;
    first = from;
    last = from + span;
    for (std::size_t channel = 0; channel < graphs.size(); ++channel)
        graphs[channel]->showHistory(&history[channel], first, last);
    updateScrollBar();
    emit visibleRangeChanged(first, last);
}

void HistoryView::zoomAround(int x, double notches)
{
    const int w = plotWidth();
    const qint64 span = last - first;
    if (live || span <= 0 || w <= 0)
        return;
    x = std::clamp(x, 0, w - 1);
    const qint64 anchor = IndexScale{first, span, w}.indexAt(x);
    qint64 zoomed = std::llround(static_cast<double>(span) * std::pow(zoomInStep, notches));
    // Every notch changes something, however few samples are shown.
    if (notches > 0)
        zoomed = std::min(zoomed, span - 1);
    else if (notches < 0)
        zoomed = std::max(zoomed, span + 1);
    zoomed = std::clamp(zoomed, std::min(minimumSpan, count()), count());
    // The anchor takes the same place in the new scale: the sample under column x.
    const qint64 from = anchor - IndexScale::floorDivide((2 * static_cast<qint64>(x) + 1) * zoomed, 2 * qint64(w));
    showRange(from, from + zoomed);
}

int HistoryView::plotWidth() const
{
    return graphs.empty() ? 0 : graphs.front()->plotArea()->width();
}

IndexScale HistoryView::viewScale() const
{
    return IndexScale{first, std::max<qint64>(last - first, 1), std::max(plotWidth(), 1)};
}

// The graphs are stacked, so a column of one is that column of all.
int HistoryView::columnAt(const ZGraph* graph, const QPointF& globalPosition) const
{
    const int x = graph->plotArea()->mapFromGlobal(globalPosition.toPoint()).x();
    return std::clamp(x, 0, std::max(plotWidth() - 1, 0));
}

bool HistoryView::eventFilter(QObject* watched, QEvent* event)
{
    // A graph being destroyed is a graph no longer, and has its last events.
    const ZGraph* graph = qobject_cast<const ZGraph*>(watched);
    if (live || !graph)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (event->type() != QEvent::MouseMove && mouse->button() != Qt::LeftButton)
            return false;
        const int x = columnAt(graph, mouse->globalPosition());
        const int globalX = mouse->globalPosition().toPoint().x();
        if (event->type() == QEvent::MouseMove)
            mouseMoved(x, globalX, mouse->buttons() & Qt::LeftButton);
        else if (event->type() == QEvent::MouseButtonRelease)
            mouseReleased(x);
        else
            mousePressed(globalX);
        return true;
    }
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->angleDelta().y() == 0)
            return false;
        const int x = columnAt(graph, wheel->globalPosition());
        zoomAround(x, wheel->angleDelta().y() / notchDelta);
        if (last > first)
            setHover(viewScale().indexAt(x));
        return true;
    }
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && pinned >= 0) {
            unpinCursor();
            return true;
        }
        return false;
    case QEvent::Leave:
        // Moving from one graph to the next leaves one before entering the
        // other; only when no graph has the pointer has it left them.
        QTimer::singleShot(0, this, &HistoryView::checkPointerLeft);
        return false;
    default:
        return false;
    }
}

void HistoryView::mousePressed(int globalX)
{
    pressed = true;
    dragging = false;
    pressX = globalX;
    pressFirst = first;
}

void HistoryView::mouseMoved(int x, int globalX, bool buttonDown)
{
    const qint64 span = last - first;
    const int w = plotWidth();
    if (span <= 0 || w <= 0)
        return;
    if (pressed && buttonDown) {
        const int dx = globalX - pressX;
        if (std::abs(dx) >= dragThreshold)
            dragging = true;
        if (dragging) {
            // The samples follow the pointer: dx columns are dx * span / w samples.
            const qint64 shift = IndexScale::floorDivide(2 * qint64(dx) * span + w, 2 * qint64(w));
            showRange(pressFirst - shift, pressFirst - shift + span);
        }
    }
    setHover(viewScale().indexAt(x));
}

void HistoryView::mouseReleased(int x)
{
    const bool click = pressed && !dragging;
    pressed = dragging = false;
    // A drag may have ended beyond the graphs.
    QTimer::singleShot(0, this, &HistoryView::checkPointerLeft);
    const qint64 span = last - first;
    const int w = plotWidth();
    if (!click || span <= 0 || w <= 0)
        return;
    const IndexScale scale{first, span, w};
    if (pinned >= 0 && std::abs(scale.columnOf(pinned) - x) <= pinnedGrip) {
        unpinCursor();
        return;
    }
    setPinned(scale.indexAt(x));
    emit cursorPinned(pinned);
}

void HistoryView::updateScrollBar()
{
    const QSignalBlocker quiet(scroller);
    const qint64 span = last - first;
    scroller->setRange(0, toScrollValue(std::max<qint64>(count() - span, 0)));
    scroller->setPageStep(toScrollValue(std::max<qint64>(span, 1)));
    scroller->setSingleStep(toScrollValue(std::max<qint64>(span / 10, 1)));
    scroller->setValue(toScrollValue(first));
}

void HistoryView::scrolled(int value)
{
    showRange(value, value + (last - first));
}
