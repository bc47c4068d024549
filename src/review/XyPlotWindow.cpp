#include "XyPlotWindow.h"

#include "HistoryView.h"
#include "PictureFile.h"
#include "RecentFolder.h"
#include "Recording.h"
#include "SummaryPanel.h"
#include "XyQuantities.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

// As the summary: a live run's records, four repaints a second.
constexpr int refreshMs = 250;

class Canvas : public QWidget
{
public:
    explicit Canvas(XyPlotPicture& picture) : picture(picture)
    {
        setMinimumSize(400, 300);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        picture.paint(painter, rect());
    }

private:
    XyPlotPicture& picture;
};

} // namespace

XyPlotWindow::XyPlotWindow(const Recording& recording, HistoryView& history, SummaryPanel& summary, QWidget* parent)
    : QWidget(parent, Qt::Window),
      recording(recording),
      summary(summary),
      picture(recording.histories()),
      range(new QComboBox),
      canvas(new Canvas(picture)),
      noteLine(new QLabel)
{
    setObjectName("xyPlot");
    setWindowTitle(tr("X-Y Plot"));
    QVBoxLayout* column = new QVBoxLayout(this);
    QHBoxLayout* row = new QHBoxLayout;
    const XyPlotPicture::Choice chosen = picture.choice();
    const int initial[3] = {chosen.x, chosen.y, chosen.shade};
    const QString labels[3] = {tr("&X:"), tr("&Y:"), tr("&Colour:")};
    for (int axis = 0; axis < 3; ++axis) {
        choices[axis] = new QComboBox;
        for (int quantity = 0; quantity < xyQuantities; ++quantity)
            choices[axis]->addItem(QString::fromLatin1(xyInfo(quantity).name));
        choices[axis]->setCurrentIndex(initial[axis]);
        QLabel* name = new QLabel(labels[axis]);
        name->setBuddy(choices[axis]);
        row->addWidget(name);
        row->addWidget(choices[axis]);
        connect(choices[axis], &QComboBox::currentIndexChanged, this, &XyPlotWindow::refresh);
    }
    range->addItems({tr("The whole recording"), tr("The stretch shown"), tr("Between the cursors")});
    range->setCurrentIndex(summary.range());
    QLabel* rangeName = new QLabel(tr("&Range:"));
    rangeName->setBuddy(range);
    row->addWidget(rangeName);
    row->addWidget(range);
    row->addStretch();
    QPushButton* exporting = new QPushButton(tr("&Export PNG..."));
    row->addWidget(exporting);
    column->addLayout(row);
    column->addWidget(canvas, 1);
    QLabel* reading = new QLabel(tr("Each pixel has the mean colour of its records; the fewer they are, the paler. "
                                    "The ring marks the record at the history's cursor."));
    reading->setWordWrap(true);
    column->addWidget(reading);
    column->addWidget(noteLine);
    resize(900, 650);

    // One range for the summary and the plot: a change in either is the other's.
    connect(range, &QComboBox::currentIndexChanged, this,
            [this](int chosen) { this->summary.setRange(SummaryPanel::Range(chosen)); });
    connect(&summary, &SummaryPanel::rangeChosen, this, [this](SummaryPanel::Range chosen) {
        range->setCurrentIndex(chosen);
        refresh();
    });
    connect(exporting, &QPushButton::clicked, this, &XyPlotWindow::exportPicture);
    throttle.setSingleShot(true);
    throttle.setInterval(refreshMs);
    connect(&throttle, &QTimer::timeout, this, &XyPlotWindow::refresh);
    connect(&recording, &Recording::appended, this, &XyPlotWindow::later);
    connect(&recording, &Recording::replaced, this, [this] { cursor = -1; later(); });
    connect(&recording, &Recording::cleared, this, [this] { cursor = -1; later(); });
    connect(&history, &HistoryView::visibleRangeChanged, this, &XyPlotWindow::later);
    connect(&history, &HistoryView::cursorPinned, this, &XyPlotWindow::later);
    connect(&history, &HistoryView::cursorUnpinned, this, &XyPlotWindow::later);
    connect(&history, &HistoryView::cursorMoved, this, [this](qint64 index) {
        cursor = index;
        later();
    });
    refresh();
}

void XyPlotWindow::later()
{
    if (isVisible() && !throttle.isActive())
        throttle.start();
}

void XyPlotWindow::refresh()
{
    picture.setChoice({choices[0]->currentIndex(), choices[1]->currentIndex(), choices[2]->currentIndex()});
    const SummaryPanel::Stretch stretch = summary.stretch();
    picture.setStretch(stretch.first, stretch.last, stretch.which);
    picture.setCursor(cursor < recording.count() ? cursor : -1);
    canvas->update();
}

QImage XyPlotWindow::shownPicture()
{
    refresh();
    return picture.picture(canvas->size());
}

QString XyPlotWindow::note() const
{
    return noteLine->text();
}

void XyPlotWindow::exportPicture()
{
    const QString fileName =
        askSaveFileName(this, tr("Export X-Y Plot"), QStringLiteral("xyplot.png"), tr("PNG pictures (*.png)"));
    if (!fileName.isEmpty())
        exportTo(fileName);
}

bool XyPlotWindow::exportTo(const QString& fileName)
{
    const QString failure = writePng(fileName, shownPicture());
    noteLine->setText(failure.isEmpty() ? tr("Saved the plot to %1").arg(fileName)
                                        : tr("Export failed: %1").arg(failure));
    return failure.isEmpty();
}
