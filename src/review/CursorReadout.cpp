#include "CursorReadout.h"

#include "HistoryView.h"
#include "RecordText.h"
#include "Recording.h"

namespace {

const char* const hint = "Point at a graph to read a record; click to pin a second cursor, Escape to drop it. "
                         "Wheel: zoom. Drag: pan. Home: show all.";

} // namespace

CursorReadout::CursorReadout(const HistoryView& history, const Recording& recording, QWidget* parent)
    : QLabel(parent), recording(recording)
{
    // Two lines at most, a little smaller than the window's text, so that the
    // graphs keep their height; a line longer than the window is cut.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    setFont(small);
    setFixedHeight(2 * fontMetrics().lineSpacing() + 2);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(&history, &HistoryView::cursorMoved, this, &CursorReadout::pointAt);
    connect(&history, &HistoryView::cursorLeft, this, [this] { pointAt(-1); });
    connect(&history, &HistoryView::cursorPinned, this, &CursorReadout::pinAt);
    connect(&history, &HistoryView::cursorUnpinned, this, [this] { pinAt(-1); });
    showCursors();
}

void CursorReadout::pointAt(qint64 index)
{
    pointed = index;
    showCursors();
}

void CursorReadout::pinAt(qint64 index)
{
    pinned = index;
    showCursors();
}

void CursorReadout::showCursors()
{
    const qint64 held = recording.count();
    if (pointed >= held)
        pointed = -1;
    if (pinned >= held)
        pinned = -1;
    if (pointed < 0 && pinned < 0) {
        setText(QString::fromLatin1(hint));
        return;
    }
    const qint64 shown = pointed >= 0 ? pointed : pinned;
    float values[channelCount];
    sampleAt(shown, values);
    const QString record = QString::fromLatin1(cursorText(recording.record(shown), values).cStr());
    if (pinned < 0) {
        setText(record);
    } else if (shown == pinned) {
        setText(QLatin1String("Pinned: ") + record);
    } else {
        float pinnedValues[channelCount];
        sampleAt(pinned, pinnedValues);
        setText(record + QLatin1Char('\n') +
                QString::fromLatin1(cursorDifference(pinnedValues, values).cStr()));
    }
}

void CursorReadout::sampleAt(qint64 index, float (&values)[channelCount]) const
{
    for (int channel = 0; channel < channelCount; ++channel)
        values[channel] = recording.sample(index, channel);
}
