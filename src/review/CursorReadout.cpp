#include "CursorReadout.h"

#include "HistoryView.h"
#include "ReadoutLines.h"
#include "RecordText.h"
#include "Recording.h"

#include <algorithm>

namespace {

const char* const hint = "Point, or Left/Right, to read a record. Click or Space: pin a second cursor, Escape: drop it. "
                         "Wheel or +/-: zoom. Drag or Shift+arrows: pan. Home: show all.";

} // namespace

CursorReadout::CursorReadout(const HistoryView& history, const Recording& recording, QWidget* parent)
    : QLabel(parent), recording(recording)
{
    // A little smaller than the window's text, so that the graphs keep their height.
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
        showText(QString::fromLatin1(hint));
        return;
    }
    const qint64 shown = pointed >= 0 ? pointed : pinned;
    float values[channelCount];
    sampleAt(shown, values);
    const QString record = QString::fromLatin1(cursorText(recording.record(shown), values).cStr());
    if (pinned < 0) {
        showText(record);
    } else if (shown == pinned) {
        showText(QLatin1String("Pinned: ") + record);
    } else {
        float pinnedValues[channelCount];
        sampleAt(pinned, pinnedValues);
        showText(record + QLatin1Char('\n') +
                QString::fromLatin1(cursorDifference(pinnedValues, values).cStr()));
    }
}

void CursorReadout::sampleAt(qint64 index, float (&values)[channelCount]) const
{
    for (int channel = 0; channel < channelCount; ++channel)
        values[channel] = recording.sample(index, channel);
}

void CursorReadout::showText(const QString& text)
{
    full = text;
    setText(fitLines(full, fontMetrics(), contentsRect().width()).join(QLatin1Char('\n')));
}

int CursorReadout::linesNeeded() const
{
    // The widest values a record gives, pinned, and their widest changes.
    Data widest;
    for (const int channel : {Voltage, Current})
        widest.bytes[channels[channel].offset] = widest.bytes[channels[channel].offset + 1] = 0xff;
    float values[channelCount];
    float changes[channelCount];
    for (int channel = 0; channel < channelCount; ++channel) {
        values[channel] = -65535.99f;
        changes[channel] = 0.0f;
    }
    values[Time] = -9999999.0f;
    const QString text = QLatin1String("Pinned: ") + QString::fromLatin1(cursorText(widest, values).cStr()) +
                         QLatin1Char('\n') + QString::fromLatin1(cursorDifference(changes, values).cStr());
    const int width = contentsRect().width();
    return std::max(qsizetype(2), std::max(fitLines(text, fontMetrics(), width).size(),
                                           fitLines(QString::fromLatin1(hint), fontMetrics(), width).size()));
}

void CursorReadout::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    const int height = int(linesNeeded()) * fontMetrics().lineSpacing() + 2;
    if (height != this->height())
        setFixedHeight(height);
    showText(full);
}
