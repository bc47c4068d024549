#include "ProgressNote.h"

#include <QStatusBar>

ProgressNote::ProgressNote(QStatusBar* statusBar) : QObject(statusBar), bar(statusBar)
{
    connect(bar, &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (!text.isEmpty() && text != shown)
            otherNote.start();
    });
}

void ProgressNote::showDownload(int block, int blocks, int record, int records)
{
    show(QString::fromLatin1("Download: block %1 of %2, record %3 of %4").arg(block).arg(blocks).arg(record).arg(records));
}

void ProgressNote::show(const QString& text)
{
    const QString current = bar->currentMessage();
    if (!current.isEmpty() && current != shown && otherNote.isValid() && otherNote.elapsed() < holdMs)
        return;
    shown = text;
    bar->showMessage(text);
}
