#include "HistoryKeys.h"

#include "HistoryView.h"
#include "IndexScale.h"
#include "ZGraph.h"
#include "ZGraphPlot.h"

#include <QAbstractButton>
#include <QKeyEvent>

#include <algorithm>

namespace {

// Shift+arrow pans by this share of the records shown, as the scroll bar's arrows do.
constexpr qint64 panShare = 10;

} // namespace

HistoryKeys::HistoryKeys(HistoryView& view, const std::vector<ZGraph*>& graphs, QObject* parent)
    : QObject(parent), view(view), graphs(graphs)
{
    for (ZGraph* graph : graphs)
        graph->installEventFilter(this);
}

void HistoryKeys::historyShown()
{
    if (graphs.empty())
        return;
    const QWidget* focus = graphs.front()->window()->focusWidget();
    if (!focus || qobject_cast<const QAbstractButton*>(focus))
        graphs.front()->setFocus(Qt::OtherFocusReason);
}

bool HistoryKeys::eventFilter(QObject* watched, QEvent* event)
{
    auto* graph = qobject_cast<ZGraph*>(watched);
    if (view.isLive() || !graph)
        return QObject::eventFilter(watched, event);
    // Zooming with the wheel is reading the graphs too: the keys go on from there.
    if (event->type() == QEvent::Wheel)
        graph->setFocus(Qt::MouseFocusReason);
    return event->type() == QEvent::KeyPress && keyPressed(*static_cast<QKeyEvent*>(event));
}

bool HistoryKeys::keyPressed(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    // Keys with Ctrl or Alt are the menus' shortcuts.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const bool shift = modifiers & Qt::ShiftModifier;
    switch (key.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int direction = key.key() == Qt::Key_Left ? -1 : 1;
        if (shift)
            pan(direction);
        else
            stepCursor(direction);
        return true;
    }
    case Qt::Key_Plus:
    case Qt::Key_Equal:  // + without Shift on many keyboards
        zoom(1);
        return true;
    case Qt::Key_Minus:
        zoom(-1);
        return true;
    case Qt::Key_Space:
        view.pinCursor();
        return true;
    default:
        return false;
    }
}

void HistoryKeys::stepCursor(qint64 step)
{
    const HistoryView::Range shown = view.visibleRange();
    const qint64 span = shown.last - shown.first;
    if (span <= 0)
        return;
    // No cursor yet: it appears on the pinned one, or in the middle.
    const qint64 from = view.cursorIndex() >= 0 ? view.cursorIndex() : view.pinnedIndex();
    const qint64 to = from >= 0 ? std::clamp<qint64>(from + step, 0, view.count() - 1) : shown.first + span / 2;
    // Scrolled just far enough, so that holding the key walks the records along.
    if (to < shown.first)
        view.showRange(to, to + span);
    else if (to >= shown.last)
        view.showRange(to + 1 - span, to + 1);
    view.pointAt(to);
}

void HistoryKeys::pan(int direction)
{
    const HistoryView::Range shown = view.visibleRange();
    const qint64 span = shown.last - shown.first;
    const qint64 shift = direction * std::max<qint64>(span / panShare, 1);
    view.showRange(shown.first + shift, shown.last + shift);
}

void HistoryKeys::zoom(double notches)
{
    const HistoryView::Range shown = view.visibleRange();
    const qint64 span = shown.last - shown.first;
    const int width = graphs.empty() ? 0 : graphs.front()->plotArea()->width();
    if (span <= 0 || width <= 0)
        return;
    const qint64 cursor = view.cursorIndex();
    const bool cursorShown = cursor >= shown.first && cursor < shown.last;
    view.zoomAround(cursorShown ? IndexScale{shown.first, span, width}.columnOf(cursor) : width / 2, notches);
}
