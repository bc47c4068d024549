#pragma once
// TralixGui's main window: the ten graphs, the log view, the buttons, the data
// directory dialog and the lists of received directory entries and records.
// Its slots are the program's commands; the port is the port session's to lend.

#include "AppGui.h"
#include "CarLink.h"
#include "DirectorySource.h"
#include "PortSession.h"
#include "RecordIntake.h"
#include "RecordReview.h"
#include "RecordText.h"
#include "StatusNotes.h"

#include <vector>

class QPlainTextEdit;
class QPushButton;
class WDataDirectory;
class ZGraph;

class Gui : public AppGui, public DirectorySource
{
    Q_OBJECT

public:
    explicit Gui(ZString device);

    // The log view keeps the newest lines only; every record stays in `records`.
    static constexpr int logViewLines = 10000;

    // What the window holds, for reading from outside.
    struct Contents
    {
        const ZList<Data>& records;
        const std::vector<float> (&values)[channelCount];
        int sampleIndex, liveMode;
    };
    Contents contents() const { return {records, values, sampleIndex, liveMode}; }
    PortSession& portSession() { return session; }

public slots:
    void manual();
    void about();
    void getInfo();
    void getDirectory(ZList<ZString>& directory) override;
    void fetchData();
    void fetchDataDir(ZList<int> entries) override;
    void liveData();
    void stop();
    void setTime();
    void reset();
    void resetFull();
    void doData(int block = 0);
    void save();
    void fetchDataOld();
    // Looking back at what the window holds (RecordReview): the File and View entries.
    void openRecords() { review->files().open(); }
    void saveAs() { review->files().saveAs(); }
    void exportPicture() { review->exportPicture(); }
    void pause() { review->togglePause(); }
    void showAll() { review->showAll(); }

protected:
    void createMenus() override;
    void createMainWidget() override;
    void createToolBar() override;

private:
    void beginRun(int mode);
    void takeDownloadRecord();
    void showRecord(const IntakeResult& taken);
    void downloadBlock(int row, int blockNumber, int blockCount);
    void note(const QString& text, int timeoutMs = 0);
    void enableButtons(bool live, bool fetch, bool stop);

    int liveMode = 0;
    QPlainTextEdit* logView = nullptr;
    QPushButton* liveButton = nullptr;
    QPushButton* fetchButton = nullptr;
    QPushButton* stopButton = nullptr;
    std::vector<ZGraph*> graphs;
    std::vector<float> values[channelCount];
    ZSerial port;
    PortSession session;
    int sampleIndex = 0;
    int sampleCount = 2048;
    Info info;  // DirNumber, DirPos, DataPos of the last Info reply
    ZList<Directory> dirEntries;
    WDataDirectory* directoryDialog = nullptr;
    ZList<Data> records;
    RecordIntake intake;           // where received bytes become records
    bool downloadStalled = false;  // the last record asked for did not come
    QAction* openAction = nullptr;
    QAction* pauseAction = nullptr;
    RecordReview* review = nullptr;  // history, cursor, pause, files, picture
};
