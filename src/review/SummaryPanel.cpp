#include "SummaryPanel.h"

#include "DriveAnalysis.h"
#include "HistoryView.h"
#include "RecentFolder.h"
#include "Recording.h"
#include "StatusNotes.h"
#include "SummaryText.h"
#include "WholeFile.h"

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
#include <QStatusBar>
#include <QTableWidget>

#include <cstdio>

namespace {

// A live run brings about 14 records a second: four summaries a second keep up.
constexpr int refreshMs = 250;

} // namespace

SummaryPanel::SummaryPanel(QMainWindow* window, const Recording& recording, HistoryView& history,
                           QAction* toggleAction)
    : QDockWidget(tr("Summary"), window),
      recording(recording),
      history(history),
      analysis(new DriveAnalysis(recording, this)),
      rangeChoice(new QComboBox),
      rangeLabel(new QLabel),
      figures(new QTableWidget(0, 3))
{
    setObjectName("summary");
    QWidget* box = new QWidget(this);
    QVBoxLayout* column = new QVBoxLayout(box);
    column->setContentsMargins(2, 2, 2, 2);
    rangeChoice->addItems({tr("The whole recording"), tr("The stretch shown"), tr("Between the cursors")});
    rangeLabel->setWordWrap(true);
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
    setWidget(box);
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
    connect(rangeChoice, &QComboBox::currentIndexChanged, this, &SummaryPanel::refresh);
    connect(figures, &QTableWidget::cellClicked, this, &SummaryPanel::clicked);
    connect(&recording, &Recording::appended, this, &SummaryPanel::later);
    connect(&recording, &Recording::replaced, this, &SummaryPanel::later);
    connect(&recording, &Recording::cleared, this, &SummaryPanel::later);
    connect(&history, &HistoryView::visibleRangeChanged, this, &SummaryPanel::later);
    connect(&history, &HistoryView::cursorPinned, this, &SummaryPanel::later);
    connect(&history, &HistoryView::cursorUnpinned, this, &SummaryPanel::later);
    connect(&history, &HistoryView::cursorMoved, this, [this](qint64 index) {
        lastCursor = index;
        later();
    });
}

void SummaryPanel::toggle()
{
    setVisible(!isVisible());
}

void SummaryPanel::setRange(Range range)
{
    rangeChoice->setCurrentIndex(range);
}

void SummaryPanel::later()
{
    if (isVisible() && !throttle.isActive())
        throttle.start();
}

SummaryPanel::Stretch SummaryPanel::chosenRecords() const
{
    const qint64 count = recording.count();
    if (rangeChoice->currentIndex() == Shown && history.isLive())
        return {std::max<qint64>(0, count - recording.live().sampleCount()), count,
                tr("the newest records, which the live graphs show")};
    if (rangeChoice->currentIndex() == Shown)
        return {history.visibleRange().first, history.visibleRange().last, tr("the stretch shown")};
    if (rangeChoice->currentIndex() == BetweenCursors) {
        const qint64 pinned = history.pinnedIndex();
        const qint64 pointed = history.cursorIndex() >= 0 ? history.cursorIndex() : lastCursor;
        const qint64 first = std::min(pinned, pointed);
        return {first, pinned < 0 || pointed < 0 ? first : std::max(pinned, pointed) + 1,
                tr("between the pinned cursor and the pointer's")};
    }
    return {0, count, tr("the whole recording")};
}

void SummaryPanel::refresh()
{
    const Stretch chosen = chosenRecords();
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
}

void SummaryPanel::clicked(int row)
{
    const QVariant record = figures->item(row, 0)->data(Qt::UserRole);
    if (record.isValid())
        history.pointAt(record.toLongLong());
}

void SummaryPanel::copy()
{
    QApplication::clipboard()->setText(summaryText(current, rangeLabel->text()));
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
    return rangeLabel->text();
}
