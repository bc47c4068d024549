// The history's two cursors: the pointer's (or the keys') and the pinned one.
#include "HistoryView.h"

#include "ZGraph.h"

void HistoryView::unpinCursor()
{
    if (pinned < 0)
        return;
    setPinned(-1);
    emit cursorUnpinned();
}

void HistoryView::pointAt(qint64 index)
{
    if (live || index < 0 || index >= count())
        return;
    if (index < first || index >= last) {
        const qint64 span = last - first;
        showRange(index - span / 2, index - span / 2 + span);
    }
    setHover(index);
}

void HistoryView::setHover(qint64 index)
{
    if (index == hover)
        return;
    hover = index;
    showCursors();
    if (hover >= 0)
        emit cursorMoved(hover);
}

void HistoryView::setPinned(qint64 index)
{
    if (index == pinned)
        return;
    pinned = index;
    showCursors();
}

void HistoryView::dropCursors()
{
    const bool hadHover = hover >= 0;
    const bool hadPinned = pinned >= 0;
    hover = pinned = -1;
    showCursors();
    if (hadHover)
        emit cursorLeft();
    if (hadPinned)
        emit cursorUnpinned();
}

void HistoryView::showCursors()
{
    for (ZGraph* graph : graphs)
        graph->setCursors(hover, pinned);
}

void HistoryView::checkPointerLeft()
{
    if (live || pressed || hover < 0)
        return;
    for (ZGraph* graph : graphs)
        if (graph->underMouse())
            return;
    setHover(-1);
    emit cursorLeft();
}

void HistoryView::pinCursor()
{
    if (live || hover < 0)
        return;
    if (hover == pinned) {
        unpinCursor();
        return;
    }
    setPinned(hover);
    emit cursorPinned(pinned);
}

