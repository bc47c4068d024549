#include "ProgressNote.h"

#include <QStatusBar>

ProgressNote::ProgressNote(QStatusBar* statusBar) : QObject(statusBar), bar(statusBar)
{
    connect(bar, &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (!text.isEmpty() && text != shown)
            otherNote.start();
    });
}

void ProgressNote::show(const QString& text)
{
    const QString current = bar->currentMessage();
    if (!current.isEmpty() && current != shown && otherNote.isValid() && otherNote.elapsed() < holdMs)
        return;
    shown = text;
    bar->showMessage(text);
}
