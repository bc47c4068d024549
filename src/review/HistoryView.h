#pragma once
// The user's view of the whole history in a stack of graphs, one channel
// each. While not live it shows one stretch of the histories in all graphs at
// once: the wheel zooms the time axis around the pointer, dragging pans, the
// scroll bar scrolls, pointing draws a cursor line through every graph and a
// click pins a second one. While live the graphs show their live windows,
// untouched. It only reads the histories; their owner says when they changed.

#include "SampleHistory.h"
#include "ZString.h"

#include <QObject>
#include <QPointer>
#include <QScrollBar>

#include <vector>

class QPointF;
class ZGraph;
struct IndexScale;

class HistoryView : public QObject
{
    Q_OBJECT

public:
    // One history per graph, in the graphs' order; the graphs and the
    // histories must outlive the view. The scroll bar is created hidden, as a child of
    // `scrollBarParent` (or owned by the view without one), for the window to
    // place under the graphs; it shows while the history does.
    HistoryView(const std::vector<ZGraph*>& graphs, const std::vector<SampleHistory>& histories,
                QWidget* scrollBarParent, QObject* parent = nullptr);
    ~HistoryView() override;

    QScrollBar* scrollBar() const { return scroller; }

    // Samples were added at the end of every history. Cheap enough for
    // every live tick; touches no widget while live.
    void samplesAppended();
    // The histories were emptied or refilled: a history shown shows them whole.
    void samplesReplaced();
    qint64 count() const;
    int channels() const { return static_cast<int>(history.size()); }
    const SampleHistory& channel(int index) const { return history[static_cast<std::size_t>(index)]; }
    // Heap bytes of all channels' samples and levels.
    std::size_t bytesUsed() const;

    bool isLive() const { return live; }
    // The samples [first, last) the graphs show while not live.
    struct Range
    {
        qint64 first;
        qint64 last;
    };
    Range visibleRange() const { return {first, last}; }
    // Sample indexes of the two cursors, or -1 when not shown; always inside
    // the history.
    qint64 cursorIndex() const { return hover; }
    qint64 pinnedIndex() const { return pinned; }

    // The index axis title of the bottom graph while the history shows
    // ("Record" unless set; empty keeps the bottom row collapsed). The axis
    // row makes the bottom graph that much taller, so that all plot areas
    // stay alike.
    void setIndexTitle(const ZString& title);

    // Fewest samples a zoom shows across the width.
    static constexpr qint64 minimumSpan = 4;
    // Samples across the width after one wheel notch towards the user.
    static constexpr double zoomInStep = 0.8;

public slots:
    // Live: the graphs show their live windows and the view ignores the
    // pointer. Not live: the graphs show the history, all of it to begin with.
    void setLive(bool live);
    // The whole history, as it is now, across the width.
    void showAll();
    // Samples [first, last), kept inside the history and at least minimumSpan long.
    void showRange(qint64 first, qint64 last);
    // Zooms by `notches` wheel notches (positive: in) around column x of the
    // plot areas: the sample under that column stays under it.
    void zoomAround(int x, double notches);
    // Escape on a graph (which takes the focus when clicked) does the same.
    void unpinCursor();
    // Pins the cursor where the pointer's is, as a click there does (on the
    // pinned one: unpins it). Space on a graph.
    void pinCursor();
    // The pointer's cursor on this sample, scrolled into view (not while live).
    void pointAt(qint64 index);

signals:
    // The pointer is at this sample; the cursor line is drawn through every graph.
    void cursorMoved(qint64 sampleIndex);
    // The pointer left the graphs (or the view went live, or the history was
    // cleared); the cursor line is gone.
    void cursorLeft();
    // A click pinned a second cursor line at this sample, or moved it there.
    void cursorPinned(qint64 sampleIndex);
    // The pinned cursor is gone: a click on it, Escape, unpinCursor, going
    // live or clearing the history.
    void cursorUnpinned();
    void visibleRangeChanged(qint64 first, qint64 last);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takePointer(bool take);
    void showIndexAxis(bool show);
    int plotWidth() const;
    IndexScale viewScale() const;
    // The plot column under a pointer over `graph` (or dragging from it).
    int columnAt(const ZGraph* graph, const QPointF& globalPosition) const;
    void mousePressed(int globalX);
    void mouseMoved(int x, int globalX, bool buttonDown);
    void mouseReleased(int x);
    void setHover(qint64 index);
    void setPinned(qint64 index);
    // Hides both cursors, saying so for each one shown.
    void dropCursors();
    void showCursors();
    void checkPointerLeft();
    void updateScrollBar();
    void scrolled(int value);

    std::vector<ZGraph*> graphs;  // not owned
    const std::vector<SampleHistory>& history;
    QPointer<QScrollBar> scroller;
    bool live = true;
    qint64 first = 0;
    qint64 last = 0;
    qint64 hover = -1;
    qint64 pinned = -1;
    ZString indexTitle = "Record";
    // What the bottom graph had while live, to go back to.
    ZString liveIndexTitle;
    int liveMinimumHeight = 0;
    bool indexAxisShown = false;

    // A press starts a drag or, released where it began, a click.
    bool pressed = false;
    bool dragging = false;
    int pressX = 0;  // global
    qint64 pressFirst = 0;
};
