#include "Gui.h"

#include "WDataDirectory.h"
#include "WManual.h"
#include "ZError.h"
#include "ZGraph.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <cstdio>

Gui::Gui(ZString deviceName)
    : liveMode(0),
      device(deviceName),
      logView(nullptr),
      liveButton(nullptr),
      fetchButton(nullptr),
      stopButton(nullptr),
      sampleIndex(0),
      sampleCount(2048),
      directoryDialog(nullptr),
      timeOrigin(0),
      polling(false),
      inExchange(false),
      downloadCancelled(false),
      portState(nullptr),
      pollBeforeLoss(false),
      liveRunning(false)
{
    setMinimumSize(1010, 700);
}

Gui::~Gui() = default;

void Gui::createMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    createAction(file, tr("Quit"), tr("&Quit"), tr("Ctrl+Q"), "1slotQuit()", tr("Quits the application"));

    QMenu* commands = menuBar()->addMenu(tr("&Commands"));
    createAction(commands, tr("Reset"), tr("&Reset"), tr("Ctrl+R"), "1reset()", tr("Resets the Car Computer"));
    createAction(commands, tr("ResetFull"), tr("&ResetFull"), QString(), "1resetFull()",
                 tr("Resets the Car Computer to Factory Defaults"));

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

    QWidget* mainBox = new QWidget(this);
    QVBoxLayout* mainLayout = new QVBoxLayout(mainBox);
    mainLayout->setContentsMargins(2, 2, 2, 2);
    mainLayout->setSpacing(2);

    QWidget* graphBox = new QWidget(mainBox);
    QVBoxLayout* graphLayout = new QVBoxLayout(graphBox);
    graphLayout->setContentsMargins(0, 0, 0, 0);
    graphLayout->setSpacing(0);
    mainLayout->addWidget(graphBox, 1);

    graphs.resize(channelCount);
    for (int channel = 0; channel < channelCount; ++channel) {
        ZGraph* graph = new ZGraph(graphBox);
        graph->setYLabel(ZString(channelNames[channel]));
        graph->setMinimumHeight(55);
        graphLayout->addWidget(graph);
        graphs[channel] = graph;
        values[channel].assign(sampleCount, 0.0f);
    }

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

    fetchButton->setEnabled(true);
    stopButton->setEnabled(false);

    directoryDialog = new WDataDirectory(this, this);

    portState = new QLabel(this);
    statusBar()->addPermanentWidget(portState);

    openPort();
    update();
}

void Gui::createToolBar()
{
    // The program's window has no tool bar.
}

void Gui::openPort()
{
    std::printf("Opening: %s\n", device.cStr());
    ZError err;
    if ((err = ZError(port.open(device.cStr())))) {
        std::fprintf(stderr, "Error: Unable to open serial port: %s\n", device.cStr());
        showPortState();
        return;
    }
    port.setBaud(carlink::lineBaud);
    connect(&timer, SIGNAL(timeout()), this, SLOT(doData()));
    runTimer(1);
    reopenTimer.setInterval(carlink::reopenIntervalMs);
    connect(&reopenTimer, &QTimer::timeout, this, [this] { reopenPort(); });
    showPortState();
}

void Gui::portLost()
{
    if (reopenTimer.isActive())
        return;
    // Said once; what was received stays. The window keeps working meanwhile.
    std::fprintf(stderr, "Error: Lost the serial port: %s\n", device.cStr());
    pollBeforeLoss = timer.isActive();
    runTimer(0);
    port.close();
    framer.clear();
    reopenTimer.start();
    showPortState();
}

void Gui::reopenPort()
{
    if (inExchange || polling || port.open(device.cStr()) != 0)
        return;  // tried again at the next tick, quietly
    reopenTimer.stop();
    std::printf("Opening: %s\n", device.cStr());
    port.setBaud(carlink::lineBaud);
    if (pollBeforeLoss)
        runTimer(1);
    // A Car Computer that lost its power with the adapter has forgotten that
    // it was streaming; one that kept it takes the repeated 'c' in its stride.
    if (liveRunning)
        carlink::sendLiveStart(port);
    showPortState();
    statusBar()->showMessage(QString::fromLatin1("The serial port is back"), 5000);
}

void Gui::showPortState()
{
    // A device name can be as long as the command line; the label must not
    // stretch the window.
    const QString name = portState->fontMetrics().elidedText(QString::fromLocal8Bit(device.cStr()),
                                                             Qt::ElideMiddle, 400);
    if (reopenTimer.isActive())
        portState->setText(QString::fromLatin1("Lost serial port %1: trying to open it again every second").arg(name));
    else if (port.isOpen())
        portState->setText(QString::fromLatin1("%1: %2 baud").arg(name).arg(carlink::lineBaud));
    else
        portState->setText(QString::fromLatin1("Unable to open serial port: %1 (%2)")
                               .arg(name, QString::fromStdString(port.openFailure())));
}

bool Gui::refuseWhileBusy(const char* command)
{
    // A transfer owns the port until it ends. A poll tick defers the user's
    // input until it is done, so only a command from elsewhere lands here.
    if (!inExchange && !polling)
        return false;
    statusBar()->showMessage(QString::fromLatin1("%1: not now, the Car Computer is busy with a transfer")
                                 .arg(QString::fromLatin1(command)),
                             5000);
    return true;
}

void Gui::manual()
{
    // One guide window for the window's life, shown again where the user left it.
    WManual* guide = findChild<WManual*>(QString(), Qt::FindDirectChildrenOnly);
    if (!guide)
        guide = new WManual(this);
    guide->show();
    guide->raise();
    guide->activateWindow();
}

void Gui::about()
{
    QMessageBox::information(this, QString::fromLatin1("About"),
                             QString::fromLatin1("<h3>TralixGui</h3>") +
                                 QString::fromLatin1("<br><p>Tralix program Version: ") +
                                 QString::fromLatin1(TRALIXGUI_VERSION) + QString::fromLatin1("</p>"));
}

void Gui::stop()
{
    std::printf("Stop\n");
    if (inExchange) {
        // The record already asked for still arrives and is kept; no more are asked for.
        downloadCancelled = true;
        statusBar()->showMessage(QString::fromLatin1("Stopping the download"));
        return;
    }
    liveButton->setEnabled(true);
    fetchButton->setEnabled(true);
    stopButton->setEnabled(false);
    liveRunning = false;
    carlink::sendLiveStop(port);
    checkPort();
}

void Gui::setTime()
{
    if (refuseWhileBusy("SetTime"))
        return;
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    inExchange = true;
    const int result = carlink::setClock(port, local);
    inExchange = false;
    if (result != 0) {
        std::fprintf(stderr, "Error: The Car Computer did not acknowledge the clock setting\n");
        statusBar()->showMessage(QString::fromLatin1("SetTime failed: no answer from the Car Computer"), 10000);
    } else {
        statusBar()->showMessage(QString::fromLatin1("Car Computer clock set"), 5000);
    }
    checkPort();
}

void Gui::reset()
{
    if (refuseWhileBusy("Reset"))
        return;
    std::printf("Reset\n");
    carlink::sendReset(port);
    checkPort();
}

void Gui::resetFull()
{
    if (refuseWhileBusy("ResetFull"))
        return;
    std::printf("Reset\n");
    carlink::sendFactoryReset(port);
    checkPort();
}
