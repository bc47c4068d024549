#include "Gui.h"

#include "PortMenu.h"
#include "PortStatus.h"
#include "WDataDirectory.h"
#include "WManual.h"
#include "ZGraph.h"

#include <QApplication>
#include <QBoxLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <cstdio>

Gui::Gui(ZString device) : session(port, device)
{
    setMinimumSize(1010, 700);
}

void Gui::createMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    openAction = createAction(file, tr("Open"), tr("&Open..."), tr("Ctrl+O"), "1openRecords()",
                              tr("Opens records saved in the layout of cardata.csv"));
    createAction(file, tr("SaveAs"), tr("Save &As..."), tr("Ctrl+Shift+S"), "1saveAs()",
                 tr("Saves the records to a file of your choice"));
    createAction(file, tr("ExportPicture"), tr("&Export Picture..."), QString(), "1exportPicture()",
                 tr("Saves the ten graphs as a PNG picture"));
    createAction(file, tr("Quit"), tr("&Quit"), tr("Ctrl+Q"), "1slotQuit()", tr("Quits the application"));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    pauseAction = createAction(view, tr("Pause"), tr("&Pause"), tr("P"), "1pause()",
                               tr("Freezes the graphs while records keep arriving"));
    createAction(view, tr("ShowAll"), tr("Show &All"), tr("Home"), "1showAll()", tr("Shows every record held"));

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
    QVBoxLayout* graphLayout = new QVBoxLayout;
    graphLayout->setSpacing(0);
    mainLayout->addLayout(graphLayout, 1);
    for (const ChannelInfo& channel : channels) {
        graphs.push_back(new ZGraph(mainBox));
        graphs.back()->setYLabel(ZString(channel.name));
        graphs.back()->setMinimumHeight(55);
        graphLayout->addWidget(graphs.back());
    }
    beginRun(0);

    logView = new QPlainTextEdit(mainBox);
    logView->setReadOnly(true);
    logView->setFixedHeight(60);
    logView->setMaximumBlockCount(logViewLines);
    mainLayout->addWidget(logView);

    QWidget* buttonRow = new QWidget(mainBox);
    QHBoxLayout* buttons = new QHBoxLayout(buttonRow);
    buttons->setContentsMargins(0, 0, 0, 0);
    mainLayout->addWidget(buttonRow);
    auto addButton = [&](const char* text, const char* slot) {
        QPushButton* button = new QPushButton(QString::fromLatin1(text), buttonRow);
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
    enableButtons(true, true, false);

    directoryDialog = new WDataDirectory(this, this);
    review = new RecordReview(
        {this, mainLayout, graphs, logView, records, values, sampleIndex, session, openAction, pauseAction}, this);
    new PortStatus(session, statusBar());
    connect(&session, SIGNAL(pollTick()), this, SLOT(doData()));
    connect(&session, &PortSession::lineClosed, this, [this] {
        // A closed line ends the stream: a whole record still waiting there is kept.
        for (IntakeResult taken; (taken = intake.nextAtLineEnd()).kind != IntakeResult::Kind::Nothing;)
            showRecord(taken);
    });
    session.open();
    update();
}

void Gui::createToolBar()
{
    // The program's window has no tool bar.
}

void Gui::beginRun(int mode)
{
    // The sample windows start empty, the intake frames nothing left from the
    // last run, and a port that comes back asks for the stream only in live mode.
    sampleIndex = 0;
    for (std::vector<float>& window : values)
        window.assign(sampleCount, 0.0f);
    intake.startRun();
    liveMode = mode;
    session.setStreaming(mode != 0);
}

void Gui::showRecord(const IntakeResult& taken)
{
    if (taken.kind == IntakeResult::Kind::Broken)
        std::fprintf(stderr, "Error in packet received: Num: %d Magic: %x\n", taken.bytes, unsigned(taken.magic));
    if (taken.kind != IntakeResult::Kind::Whole)
        return;
    if (sampleIndex == sampleCount) {
        // Full windows slide: the oldest sample leaves, the newest goes last.
        for (std::vector<float>& window : values)
            std::rotate(window.begin(), window.begin() + 1, window.end());
        sampleIndex = sampleCount - 1;
    }
    float sample[channelCount];
    liveChannelValues(taken.record, taken.seconds, sample);
    for (int channel = 0; channel < channelCount; ++channel) {
        values[channel][sampleIndex] = sample[channel];
        graphs[channel]->setData(values[channel]);
    }
    ++sampleIndex;
    records.append(taken.record);
    review->recordShown(sample);
    logView->appendPlainText(QString::fromLatin1(logLine(taken.record, sample).cStr()).chopped(1));
    // Lets the graphs and the log repaint, and Stop answer, during long transfers.
    // A poll tick takes only what already waits, so there a button press waits
    // for the tick's end rather than start an exchange between two records.
    const bool inTick = session.holder() == PortSession::Use::Poll;
    QCoreApplication::processEvents(inTick ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
}

void Gui::note(const QString& text, int timeoutMs)
{
    statusBar()->showMessage(text, timeoutMs);
}

void Gui::enableButtons(bool live, bool fetch, bool stop)
{
    liveButton->setEnabled(live);
    fetchButton->setEnabled(fetch);
    stopButton->setEnabled(stop);
    if (review)  // Stop is on exactly while a run goes on
        review->runningChanged(stop);
}

void Gui::manual()
{
    WManual::showFor(this);
}

void Gui::about()
{
    QMessageBox::information(this, "About",
                             "<h3>TralixGui</h3><br><p>Tralix program Version: " TRALIXGUI_VERSION "</p>");
}

void Gui::stop()
{
    std::printf("Stop\n");
    // The record a download already asked for still arrives and is kept; no more are asked for.
    if (session.stopTransfer()) {
        note("Stopping the download");
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
        note("SetTime failed: no answer from the Car Computer", outcomeMs);
    } else {
        note("Car Computer clock set", remarkMs);
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
