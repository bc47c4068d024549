#include "ReadoutLines.h"

#include <QFontMetrics>

namespace {

// Appends `parts` to `lines`, each joined to the last line by `gap` while it fits.
void fill(QStringList& lines, bool& open, const QStringList& parts, const QString& gap, const QFontMetrics& metrics,
          int width)
{
    for (const QString& part : parts) {
        if (open && metrics.horizontalAdvance(lines.last() + gap + part) <= width) {
            lines.last() += gap + part;
        } else if (metrics.horizontalAdvance(part) <= width || !part.contains(QLatin1Char(' '))) {
            lines.append(part);
            open = true;
        } else {
            open = false;
            fill(lines, open, part.split(QLatin1Char(' ')), QStringLiteral(" "), metrics, width);
            // What follows an item broken apart starts a line of its own.
            open = false;
        }
    }
}

} // namespace

QStringList fitLines(const QString& text, const QFontMetrics& metrics, int width)
{
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        bool open = false;
        fill(lines, open, paragraph.split(QStringLiteral("  ")), QStringLiteral("  "), metrics, width);
    }
    return lines;
}
