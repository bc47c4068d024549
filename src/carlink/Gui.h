#pragma once
// TralixGui's main window: the ten graphs, the log view, the buttons and the
// data directory dialog, all views of what the window holds (the recording).
// Its slots are the program's commands; the port is the port session's to
// lend, and the download runs in a class of its own.

#include "AppGui.h"
#include "DirectorySource.h"
#include "Download.h"
#include "PortSession.h"
#include "LivePoll.h"
#include "RecordReview.h"
#include "Recording.h"
#include "RunJournal.h"
#include "SummaryPanel.h"
#include "WManual.h"

#include <vector>

class LiveView;
class ProgressNote;
class QPushButton;
class WDataDirectory;

class Gui : public AppGui, public DirectorySource
{
    Q_OBJECT

public:
    explicit Gui(ZString device);

    // What the window holds, for reading from outside.
    struct Contents
    {
        const RecordList& records;
        const std::vector<float> (&values)[channelCount];
        int sampleIndex, liveMode;
    };
    Contents contents() const { return {recording.records(), recording.live().all(), recording.live().sampleIndex(),
                                        poll.liveMode()}; }
    PortSession& portSession() { return session; }

public slots:
    void manual() { WManual::showFor(this); }
    void about();
    void getInfo() { download.getInfo(); }
    void getDirectory(ZList<ZString>& directory) override { download.getDirectory(directory); }
    void fetchData();
    void fetchDataDir(ZList<int> entries) override;
    void liveData();
    void stop();
    void setTime();
    void reset();
    void resetFull();
    void doData(int block = 0);
    void save() { review->files().save(); }
    void fetchDataOld();
    // Looking back at what the window holds (RecordReview): the File and View entries.
    void openRecords() { review->files().open(); }
    void saveAs() { review->files().saveAs(); }
    void saveRangeAs() { auto chosen = summaryPanel->stretch(); review->files().saveRangeAs(chosen.first, chosen.last); }
    void exportPicture() { review->exportPicture(); }
    void pause() { review->togglePause(); }
    void showAll() { review->showAll(); }
    void summary() { summaryPanel->toggle(); }
    void xyPlot() { summaryPanel->showXyPlot(); }
    void exportSummary() { summaryPanel->exportSummary(); }

protected:
    bool mayClose() override { return review->files().mayDropRecords(tr("Quit"), tr("quitting")); }
    void createMenus() override;
    void createMainWidget() override;
    void createToolBar() override {}  // the program's window has no tool bar

private:
    void enableButtons(bool live, bool fetch, bool stop);

    QPushButton* liveButton = nullptr;
    QPushButton* fetchButton = nullptr;
    QPushButton* stopButton = nullptr;
    ZSerial port;
    PortSession session;
    Recording recording;  // the records since the last clear, with their samples
    RunJournal journal;  // every record to disk as it comes, a file per run
    LivePoll poll;
    Download download;
    WDataDirectory* directoryDialog = nullptr;
    QAction* openAction = nullptr;
    QAction* pauseAction = nullptr;
    QAction* summaryAction = nullptr;
    SummaryPanel* summaryPanel = nullptr;  // View > Summary: answers about the drive
    LiveView* live = nullptr;  // the graphs and the log
    RecordReview* review = nullptr;  // history, cursor, pause, files, picture
    ProgressNote* progress = nullptr;  // the download's, in the status bar
};
