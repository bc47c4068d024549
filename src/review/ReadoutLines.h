#pragma once
// The cursor read-out's text laid into lines that fit the window, however
// narrow it is and however large its font: every value stays readable.

#include <QString>
#include <QStringList>

class QFontMetrics;

// The lines of `text` (whose own lines stay apart) no wider than `width`: it
// breaks at the two spaces between the read-out's items, and an item too wide
// alone at its single spaces. A word wider than `width` is a line of its own.
QStringList fitLines(const QString& text, const QFontMetrics& metrics, int width);
