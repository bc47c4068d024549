#pragma once
// The lines under the graphs while they show the history: the record under
// the cursor with its date, time and ten values and, once a second cursor is
// pinned, the differences from the pinned record; without a cursor, how to get
// one. The text is broken into as many lines as the window's width needs.

#include "Channels.h"

#include <QLabel>

class HistoryView;
class Recording;

class CursorReadout : public QLabel
{
    Q_OBJECT

public:
    // The history's sample index is the record's index in the recording.
    CursorReadout(const HistoryView& history, const Recording& recording, QWidget* parent = nullptr);

    // The read-out's whole text, before it is broken into lines.
    const QString& fullText() const { return full; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showText(const QString& text);
    // Lines enough for the widest read-out at this width: the height stays
    // while the cursor moves, and so do the graphs above.
    int linesNeeded() const;
    void pointAt(qint64 index);
    void pinAt(qint64 index);
    void showCursors();
    void sampleAt(qint64 index, float (&values)[channelCount]) const;

    const Recording& recording;
    qint64 pointed = -1;
    qint64 pinned = -1;
    QString full;
};
