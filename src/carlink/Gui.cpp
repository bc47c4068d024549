#include "Gui.h"

#include "LiveView.h"
#include "PortMenu.h"
#include "PortStatus.h"
#include "RecentRunsMenu.h"
#include "ProgressNote.h"
#include "StatusNotes.h"
#include "WDataDirectory.h"

#include <QApplication>
#include <QBoxLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include <cstdio>

Gui::Gui(ZString device) : session(port, device), journal(recording), poll(session, recording), download(session, recording)
{
    setMinimumSize(1010, 700);
}

void Gui::createMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    openAction = createAction(file, tr("Open"), tr("&Open..."), tr("Ctrl+O"), "1openRecords()",
                              tr("Opens records saved in the layout of cardata.csv"));
    RecentRunsMenu* runs = new RecentRunsMenu(runJournalFolder(), runJournalKeeps, this);
    file->addMenu(runs);
    connect(runs, &RecentRunsMenu::chosen, this, [this](const QString& run) { review->files().openFile(run); });
    createAction(file, tr("SaveAs"), tr("Save &As..."), tr("Ctrl+Shift+S"), "1saveAs()",
                 tr("Saves the records to a file of your choice"));
    createAction(file, tr("SaveRange"), tr("Save Ran&ge As..."), QString(), "1saveRangeAs()",
                 tr("Saves the records of the summary's range (whole, shown, between the cursors)"));
    createAction(file, tr("ExportPicture"), tr("&Export Picture..."), tr("Ctrl+E"), "1exportPicture()",
                 tr("Saves the ten graphs as a PNG picture"));
    createAction(file, tr("ExportSummary"), tr("Export S&ummary..."), QString(), "1exportSummary()",
                 tr("Saves the summary of the drive as CSV"));
    createAction(file, tr("Quit"), tr("&Quit"), tr("Ctrl+Q"), "1slotQuit()", tr("Quits the application"));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    pauseAction = createAction(view, tr("Pause"), tr("&Pause"), tr("P"), "1pause()",
                               tr("Freezes the graphs while records keep arriving"));
    createAction(view, tr("ShowAll"), tr("Show &All"), tr("Home"), "1showAll()", tr("Shows every record held"));
    summaryAction = createAction(view, tr("Summary"), tr("S&ummary"), tr("Ctrl+U"), "1summary()",
                                 tr("Shows distance, energy and the extremes of the drive beside the graphs"));
    createAction(view, tr("XyPlot"), tr("&X-Y Plot"), tr("Ctrl+Shift+X"), "1xyPlot()",
                 tr("Plots any channel or Power against another, coloured by a third"));

    QMenu* commands = menuBar()->addMenu(tr("&Commands"));
    createAction(commands, tr("Reset"), tr("&Reset"), tr("Ctrl+R"), "1reset()", tr("Resets the Car Computer"));
    createAction(commands, tr("ResetFull"), tr("&ResetFull"), QString(), "1resetFull()",
                 tr("Resets the Car Computer to Factory Defaults"));
    menuBar()->addMenu(new PortMenu(session, this));

    menuBar()->addSeparator();

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    createAction(help, tr("Manual"), tr("&Manual"), tr("Ctrl+M"), "1manual()", tr("Online Manual"));
    createAction(help, tr("About"), tr("&About"), tr("Ctrl+A"), "1about()", tr("About the program"));
}

void Gui::createMainWidget()
{
    QFont font = QApplication::font();
    font.setPointSize(10);
    QApplication::setFont(font);

    // Top to bottom: the graphs, the log view and the row of buttons.
    QWidget* mainBox = new QWidget(this);
    QVBoxLayout* mainLayout = new QVBoxLayout(mainBox);
    mainLayout->setContentsMargins(2, 2, 2, 2);
    mainLayout->setSpacing(2);
    live = new LiveView(recording, mainLayout, mainBox);

    QWidget* buttonRow = new QWidget(mainBox);
    QHBoxLayout* buttons = new QHBoxLayout(buttonRow);
    buttons->setContentsMargins(0, 0, 0, 0);
    mainLayout->addWidget(buttonRow);
    auto addButton = [&](const char* text, const char* slot) {
        QPushButton* button = new QPushButton(QString::fromLatin1(text), buttonRow);
        button->setFocusPolicy(Qt::TabFocus);  // a click leaves the keys with the graphs
        buttons->addWidget(button);
        connect(button, SIGNAL(clicked()), this, slot);
        return button;
    };
    liveButton = addButton("LiveData", SLOT(liveData()));
    fetchButton = addButton("FetchData", SLOT(fetchData()));
    stopButton = addButton("Stop", SLOT(stop()));
    addButton("Save", SLOT(save()));
    addButton("SetTime", SLOT(setTime()));
    setCentralWidget(mainBox);

    directoryDialog = new WDataDirectory(this, this);
    // A cancelled dialog leaves the window as it was, polled again.
    connect(directoryDialog, &QDialog::rejected, &session, [this] { session.setPolling(true); });
    review = new RecordReview(this, mainLayout, live->graphs(), recording, openAction, pauseAction, this);
    summaryPanel = new SummaryPanel(this, recording, review->history(), summaryAction);
    enableButtons(true, true, false);
    new PortStatus(session, statusBar());
    progress = new ProgressNote(statusBar());
    // The window starts afresh only once the download holds the port: a
    // cancelled dialog or a refused download leaves what it held.
    connect(&download, &Download::started, this, [this] {
        journal.startRun(RunKind::Download);
        poll.startRun(0);
        recording.clear();
        enableButtons(false, false, true);
    });
    connect(&download, &Download::progress, progress, &ProgressNote::showDownload);
    connect(&session, SIGNAL(pollTick()), this, SLOT(doData()));
    connect(&journal, &RunJournal::failed, this, [this](const QString& text) { statusBar()->showMessage(text, outcomeMs); });
    session.open();
    update();
}

void Gui::enableButtons(bool live, bool fetch, bool stop)
{
    liveButton->setEnabled(live);
    fetchButton->setEnabled(fetch);
    stopButton->setEnabled(stop);
    review->runningChanged(stop);  // Stop is on exactly while a run goes on
}

void Gui::about()
{
    QMessageBox::information(this, "About",
                             "<h3>TralixGui</h3><br><p>Tralix program Version: " TRALIXGUI_VERSION "</p>"
                             "<p>MIT licence: see the file LICENSE</p>");
}

void Gui::stop()
{
    std::printf("Stop\n");
    // The record a download already asked for still arrives and is kept; no more are asked for.
    if (session.stopTransfer()) {
        statusBar()->showMessage("Stopping the download");
        return;
    }
    enableButtons(true, true, false);
    session.setStreaming(false);
    if (const PortSession::Claim stopping = session.claim(PortSession::Use::Command, "Stop"))
        carlink::sendLiveStop(stopping.port());
}

void Gui::setTime()
{
    const PortSession::Claim setting = session.claim(PortSession::Use::Command, "SetTime");
    if (!setting)
        return;
    const time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    if (carlink::setClock(setting.port(), local) != 0) {
        std::fprintf(stderr, "Error: The Car Computer did not acknowledge the clock setting\n");
        statusBar()->showMessage("SetTime failed: no answer from the Car Computer", outcomeMs);
    } else {
        statusBar()->showMessage("Car Computer clock set", remarkMs);
    }
}

void Gui::reset()
{
    if (const PortSession::Claim resetting = session.claim(PortSession::Use::Command, "Reset")) {
        std::printf("Reset\n");
        carlink::sendReset(resetting.port());
    }
}

void Gui::resetFull()
{
    if (const PortSession::Claim resetting = session.claim(PortSession::Use::Command, "ResetFull")) {
        std::printf("Reset\n");
        carlink::sendFactoryReset(resetting.port());
    }
}
