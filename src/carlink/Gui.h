#pragma once
// TralixGui's main window: owner of the serial port, the poll timer, the ten
// graphs, the log view, the buttons, the data directory dialog and the lists of
// received directory entries and records. Its slots are the program's commands.

#include "AppGui.h"
#include "CarLink.h"
#include "RecordFramer.h"
#include "RecordText.h"
#include "ZList.h"
#include "ZSerial.h"
#include "ZString.h"

#include <QTimer>

#include <ctime>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class WDataDirectory;
class ZGraph;

class Gui : public AppGui
{
    Q_OBJECT

public:
    explicit Gui(ZString device);
    ~Gui() override;

    // The log view keeps the newest lines only; every record stays in `records`.
    static constexpr int logViewLines = 10000;

    // Read-only views for the program's own checks and tests.
    const ZList<Data>& receivedRecords() const { return records; }
    const std::vector<float>& window(int channel) const { return values[channel]; }
    int currentSampleIndex() const { return sampleIndex; }
    bool isLive() const { return liveMode != 0; }
    bool pollRunning() const { return timer.isActive(); }
    bool portIsLost() const { return reopenTimer.isActive(); }
    bool exchangeRunning() const { return inExchange; }
    int bytesWaiting() { return port.bytesAvailable(); }
    ZGraph* graph(int channel) const { return graphs[channel]; }
    QPlainTextEdit* log() const { return logView; }
    WDataDirectory* dialog() const { return directoryDialog; }

public slots:
    void manual();
    void about();
    void getInfo();
    void getDirectory(ZList<ZString>& directory);
    void fetchData();
    void fetchDataDir(ZList<int> entries);
    void liveData();
    void stop();
    void setTime();
    void reset();
    void resetFull();
    void doData(int block = 0);
    void save();
    void fetchDataOld();

protected:
    void createMenus() override;
    void createMainWidget() override;
    void createToolBar() override;

private:
    enum class RecordResult { Stored, Rejected, NothingReceived };

    void openPort();
    void portLost();
    void checkPort() { if (port.isLost()) portLost(); }
    void reopenPort();
    void runTimer(int on);
    void clearWindows();
    RecordResult takeRecord(bool answerWithNext);
    void takeWaitingRecords(int available);
    void storeRecord(Data& record, const struct tm& local);
    bool refuseWhileBusy(const char* command);
    void downloadBlock(int row, int blockNumber, int blockCount);
    void showPortState();

    int liveMode;
    ZString device;
    QPlainTextEdit* logView;
    QPushButton* liveButton;
    QPushButton* fetchButton;
    QPushButton* stopButton;
    std::vector<ZGraph*> graphs;
    std::vector<float> values[channelCount];
    ZSerial port;
    QTimer timer;
    int sampleIndex;
    int sampleCount;
    Info info;  // DirNumber, DirPos, DataPos of the last Info reply
    ZList<Directory> dirEntries;
    WDataDirectory* directoryDialog;
    ZList<Data> records;

    time_t timeOrigin;           // first record of the run; never reset
    bool polling;                // a poll tick is taking records
    bool inExchange;             // a download, directory read or clock setting owns the port
    bool downloadCancelled;      // Stop pressed during a download
    QLabel* portState;           // permanent status-bar note of the port
    RecordFramer framer;         // live bytes not yet taken as records
    QTimer reopenTimer;          // runs while a lost port is being tried again
    bool pollBeforeLoss;         // whether the poll ran when the port was lost
    bool liveRunning;            // LiveData pressed and not stopped since
};
