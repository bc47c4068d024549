#include "SummaryPanel.h"

#include "DriveAnalysis.h"
#include "HistoryView.h"
#include "RecentFolder.h"
#include "Recording.h"
#include "StatusNotes.h"
#include "SummaryText.h"
#include "WholeFile.h"
#include "XyPlotWindow.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>

#include <cstdio>

namespace {

// A live run brings about 14 records a second: four summaries a second keep up.
constexpr int refreshMs = 250;

} // namespace

SummaryPanel::SummaryPanel(QMainWindow* window, const Recording& recording, HistoryView& history,
                           QAction* toggleAction)
    : QDockWidget(tr("Summary"), window), recording(recording), history(history), analysis(new DriveAnalysis(recording, this))
{
    setObjectName("summary");
    window->addDockWidget(Qt::RightDockWidgetArea, this);
    hide();

    QAction* copying = new QAction(tr("Copy"), this);
    copying->setShortcut(QKeySequence::Copy);
    copying->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(copying);
    connect(copying, &QAction::triggered, this, &SummaryPanel::copy);

    toggleAction->setCheckable(true);
    connect(this, &QDockWidget::visibilityChanged, toggleAction, [this, toggleAction] {
        toggleAction->setChecked(isVisible());
        later();
    });
    throttle.setSingleShot(true);
    throttle.setInterval(refreshMs);
    connect(&throttle, &QTimer::timeout, this, &SummaryPanel::refresh);
    connect(&recording, &Recording::appended, this, &SummaryPanel::later);
    connect(&recording, &Recording::replaced, this, &SummaryPanel::later);
    connect(&recording, &Recording::cleared, this, &SummaryPanel::later);
    connect(&history, &HistoryView::visibleRangeChanged, this, &SummaryPanel::later);
    connect(&history, &HistoryView::cursorPinned, this, &SummaryPanel::later);
    connect(&history, &HistoryView::cursorUnpinned, this, &SummaryPanel::later);
    connect(&history, &HistoryView::cursorMoved, this, [this](qint64 index) {
        lastCursor = index;
        // Between the cursors the figures follow the pointer as it moves: a
        // summary costs microseconds, however long the stretch.
        if (isVisible() && range() == BetweenCursors)
            refresh();
        else
            later();
    });
}

// The table and its fonts are made when first needed: a window that never
// shows the summary does not carry them through a long live run.
void SummaryPanel::build() const
{
    if (figures)
        return;
    SummaryPanel* self = const_cast<SummaryPanel*>(this);
    QWidget* box = new QWidget(self);
    QVBoxLayout* column = new QVBoxLayout(box);
    column->setContentsMargins(2, 2, 2, 2);
    rangeChoice = new QComboBox(box);
    rangeChoice->addItems({tr("The whole recording"), tr("The stretch shown"), tr("Between the cursors")});
    rangeLabel = new QLabel(box);
    rangeLabel->setWordWrap(true);
    figures = new QTableWidget(0, 3, box);
    figures->setHorizontalHeaderLabels({tr("Figure"), tr("Value"), tr("Unit")});
    figures->verticalHeader()->hide();
    figures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    figures->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The panel takes the focus on a click, so that Ctrl+C is its own.
    figures->setFocusPolicy(Qt::NoFocus);
    box->setFocusPolicy(Qt::ClickFocus);
    column->addWidget(rangeChoice);
    column->addWidget(rangeLabel);
    column->addWidget(figures);
    self->setWidget(box);
    connect(rangeChoice, &QComboBox::currentIndexChanged, self, [self](int range) {
        self->refresh();
        emit self->rangeChosen(Range(range));
    });
    connect(figures, &QTableWidget::cellClicked, self, &SummaryPanel::clicked);
}

QTableWidget* SummaryPanel::table() const
{
    build();
    return figures;
}

void SummaryPanel::toggle()
{
    build();
    setVisible(!isVisible());
}

void SummaryPanel::setRange(Range range)
{
    build();
    rangeChoice->setCurrentIndex(range);
}

void SummaryPanel::later()
{
    if (isVisible() && !throttle.isActive())
        throttle.start();
}

SummaryPanel::Range SummaryPanel::range() const
{
    build();
    return Range(rangeChoice->currentIndex());
}

SummaryPanel::Stretch SummaryPanel::stretch() const
{
    build();
    const qint64 count = recording.count();
    if (range() == Shown && history.isLive())
        return {std::max<qint64>(0, count - recording.live().sampleCount()), count,
                tr("the newest records, which the live graphs show")};
    if (range() == Shown)
        return {history.visibleRange().first, history.visibleRange().last, tr("the stretch shown")};
    if (range() == BetweenCursors) {
        const qint64 pinned = history.pinnedIndex();
        const qint64 pointed = history.cursorIndex() >= 0 ? history.cursorIndex() : lastCursor;
        const qint64 first = std::max<qint64>(0, std::min(pinned, pointed));
        return {first, pinned < 0 || pointed < 0 ? first : std::max(pinned, pointed) + 1,
                tr("between the pinned cursor and the pointer's")};
    }
    return {0, count, tr("the whole recording")};
}

void SummaryPanel::refresh()
{
    const Stretch chosen = stretch();
    current = analysis->summarize(chosen.first, chosen.last);
    rangeLabel->setText(current.records == 0 && rangeChoice->currentIndex() == BetweenCursors
                            ? tr("Between the cursors: click a graph to pin a cursor, then point at another record.")
                        : current.records == 0
                            ? tr("No records.")
                            : tr("Records %1 to %2 (%3 records): %4.")
                                  .arg(current.first).arg(current.last - 1).arg(current.records).arg(chosen.which));
    const std::vector<SummaryItem> items = summaryItems(current);
    figures->setRowCount(int(items.size()));
    for (int row = 0; row < int(items.size()); ++row) {
        const SummaryItem& item = items[std::size_t(row)];
        const QString value = figure(item);
        QTableWidgetItem* cells[3] = {new QTableWidgetItem(item.name),
                                      new QTableWidgetItem(value.isEmpty() ? QStringLiteral("-") : value),
                                      new QTableWidgetItem(item.unit)};
        cells[1]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        for (int column = 0; column < 3; ++column) {
            if (item.record >= 0) {
                cells[column]->setToolTip(tr("Record %1: a click puts the cursor there").arg(item.record));
                cells[column]->setData(Qt::UserRole, item.record);
            }
            figures->setItem(row, column, cells[column]);
        }
    }
    // The panel widens to show every column whole, and never narrows while
    // live figures change, so that it does not jitter.
    const int needed = figures->horizontalHeader()->length() + figures->verticalScrollBar()->sizeHint().width() +
                       2 * figures->frameWidth();
    figures->setMinimumWidth(std::max(figures->minimumWidth(), needed));
}

void SummaryPanel::clicked(int row)
{
    const QVariant record = figures->item(row, 0)->data(Qt::UserRole);
    if (record.isValid())
        history.pointAt(record.toLongLong());
}

void SummaryPanel::copy()
{
    QApplication::clipboard()->setText(summaryText(current, rangeText()));
}

void SummaryPanel::exportSummary()
{
    const QString fileName =
        askSaveFileName(parentWidget(), tr("Export Summary"), QStringLiteral("summary.csv"), tr("CSV files (*.csv)"));
    if (!fileName.isEmpty())
        exportTo(fileName);
}

bool SummaryPanel::exportTo(const QString& fileName)
{
    refresh();
    const QByteArray csv = summaryCsv(current).toUtf8();
    const auto content = [&csv](std::FILE* file) {
        return std::fwrite(csv.constData(), 1, std::size_t(csv.size()), file) == std::size_t(csv.size());
    };
    const ZError written = writeWholeFile(ZString(QFile::encodeName(fileName).constData()), content);
    QStatusBar* status = static_cast<QMainWindow*>(parentWidget())->statusBar();
    if (written) {
        std::fprintf(stderr, "Error: Unable to write file %s: %s\n", fileName.toLocal8Bit().constData(),
                     written.getString().cStr());
        status->showMessage(tr("Export failed: %1").arg(QString::fromLocal8Bit(written.getString().cStr())), outcomeMs);
        return false;
    }
    status->showMessage(tr("Saved the summary to %1").arg(fileName), outcomeMs);
    return true;
}

QString SummaryPanel::rangeText() const
{
    build();
    return rangeLabel->text();
}

void SummaryPanel::showXyPlot()
{
    if (!xyPlot)
        xyPlot = new XyPlotWindow(recording, history, *this, parentWidget());
    xyPlot->show();
    xyPlot->refresh();
    xyPlot->raise();
    xyPlot->activateWindow();
}
