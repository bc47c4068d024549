// Looking back at what the window holds: Open, Save As, Save Range As, the
// history with its cursor read-out, Pause and the picture of the graphs.
#define QTEST_QPA_MOUSE_HANDLING
#include "MainWindowFixture.h"
#include "CsvExport.h"
#include "CursorReadout.h"
#include "GermanNumbers.h"
#include "HistoryView.h"
#include "RecentFolder.h"
#include "RecordText.h"
#include "SummaryPanel.h"
#include "ZGraphPlot.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <functional>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// One record a second from `from` (the Car Computer's clock, which knows no
// summer time), every value moving.
void appendLog(RecordList& records, time_t from, int count, unsigned& seed)
{
    for (int i = 0; i < count; ++i) {
        const time_t at = from + i;
        struct tm t;
        gmtime_r(&at, &t);
        Reading r;
        for (int* field : {&r.throttle, &r.motorSpeed, &r.speed, &r.voltage, &r.current, &r.charge1, &r.charge2})
            *field = int((seed = seed * 1103515245u + 12345u) >> 8) % 65536;
        r.battery = int(seed >> 3) % 256;
        r.temperature = int(seed >> 11) % 256;
        records.push_back(decodedRecord({t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec}, r));
    }
}

QByteArray fileBytes(const QString& path)
{
    struct stat status;
    if (lstat(path.toLocal8Bit().constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return "<no regular file>";
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

std::string bytesOf(const RecordList& records)
{
    std::string all;
    for (const Data& record : records)
        all.append(reinterpret_cast<const char*>(record.bytes), sizeof(Data::bytes));
    return all;
}

// Runs `step` in the program's event loop: true when it ended the program.
bool quits(const std::function<void()>& step)
{
    QTimer runsOn;
    QObject::connect(&runsOn, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    QTimer::singleShot(0, [&] {
        step();
        runsOn.start(100);
    });
    return QApplication::exec() == 0;
}

} // namespace

class Review : public MainWindow
{
protected:
    RecordReview& review() const { return *gui->findChild<RecordReview*>(); }
    RecordFiles& files() const { return review().files(); }
    QString status() const { return gui->statusBar()->currentMessage(); }
    bool pauseShown() const
    {
        for (QLabel* label : gui->statusBar()->findChildren<QLabel*>())
            if (label->isVisible() && label->text().startsWith("Paused"))
                return true;
        return false;
    }

    void SetUp() override
    {
        MainWindow::SetUp();
        QObject::connect(&modalWatch, &QTimer::timeout, [this] { answerModal(); });
        modalWatch.start(20);
    }

    void TearDown() override
    {
        modalWatch.stop();
        EXPECT_EQ(unexpected.join("; ").toStdString(), "") << "questions no step expected (closed at once)";
        MainWindow::TearDown();
    }

    // Answers the question that the next step may ask; `asked` says whether it
    // did. A Save in it is then answered with `file` in the file dialog (an
    // empty name cancels the dialog).
    void answer(std::optional<QMessageBox::StandardButton> button, const QString& file = QString())
    {
        asked = false;
        reply = button;
        fileReply = button == QMessageBox::Save ? std::optional<QString>(file) : std::nullopt;
    }
    // The armed answer was given whole: the question, and the Save's file dialog.
    bool answered() const { return asked && !reply && !fileReply; }

    // Any modal window as it comes: the armed answer, or else closed and noted.
    void answerModal()
    {
        QWidget* modal = QApplication::activeModalWidget();
        // Open's progress asks nothing: the test cancels it when it means to.
        if (!modal || !modal->isVisible() || qobject_cast<QProgressDialog*>(modal))
            return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        auto* fileDialog = qobject_cast<QFileDialog*>(modal);
        if (box && reply) {
            asked = true;
            box->button(*std::exchange(reply, std::nullopt))->click();
        } else if (fileDialog && fileReply) {
            const QString file = *std::exchange(fileReply, std::nullopt);
            if (file.isEmpty())
                return fileDialog->reject();
            fileDialog->findChild<QLineEdit*>("fileNameEdit")->setText(file);  // typed in whole
            static_cast<QDialog*>(fileDialog)->accept();  // as Save does
        } else {
            unexpected << modal->windowTitle() + ": " + (box ? box->text() : QString());
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
    }

    // Everything the window shows of its records.
    std::string held() const
    {
        std::string all = bytesOf(gui->contents().records) + logView()->toPlainText().toStdString();
        for (const std::vector<float>& window : gui->contents().values)
            all.append(reinterpret_cast<const char*>(window.data()), window.size() * sizeof(float));
        return all + std::to_string(gui->contents().sampleIndex) + "/" + std::to_string(review().history().count());
    }

    void liveRecords(const std::vector<Stamp>& stamps)
    {
        Bytes bytes;
        for (const Stamp& at : stamps)
            bytes = concat({bytes, bytesOf(rawRecord(at, exampleReading()))});
        const int before = int(gui->contents().records.size());
        putOnLine(bytes);
        ASSERT_TRUE(waitForRecords(before + int(stamps.size())));
    }

    bool asked = false;
    std::optional<QMessageBox::StandardButton> reply;
    std::optional<QString> fileReply;
    QStringList unexpected;
    QTimer modalWatch;
};

// Summer time in Berlin and the night the clocks go back, under a German
// locale: Open fills the window as a download would, Save and Save As write
// the very same bytes again.
TEST_F(Review, AnOpenedFileIsShownAsADownloadAndSavedByteForByte)
{
    GermanNumbers german;
    EXPECT_TRUE(german.active());
    unsigned seed = 11;
    RecordList logged;
    appendLog(logged, 1626264000, 1500, seed);  // 2021-07-14 12:00:00
    appendLog(logged, 1635645000, 1800, seed);  // 2021-10-31 01:50:00, through 02:00-03:00
    ASSERT_EQ(writeCsv(logged, ZString("logged.csv")).getNumber(), 0);
    const QByteArray text = fileBytes("logged.csv");

    ASSERT_TRUE(files().openFile("logged.csv"));
    EXPECT_EQ(int(gui->contents().records.size()), 3300);
    EXPECT_TRUE(status().contains("Opened 3300 records"));
    // The live windows hold the newest 2048, the Time channel the first column.
    const Gui::Contents shown = gui->contents();
    ASSERT_EQ(shown.sampleIndex, 2048);
    const QList<QByteArray> lines = text.trimmed().split('\n');
    EXPECT_FLOAT_EQ(shown.values[Time][2047], lines.last().split(' ').first().toFloat());
    EXPECT_FLOAT_EQ(shown.values[Time][0], lines[3300 - 2048].split(' ').first().toFloat());
    float last[channelCount];
    for (int c = 0; c < channelCount; ++c)
        last[c] = shown.values[c][2047];
    EXPECT_EQ(logView()->document()->blockCount(), 3300);
    EXPECT_EQ(logView()->document()->lastBlock().text() + "\n", logLine(logged[3299], last).cStr());
    // The history holds every record and shows them all.
    EXPECT_EQ(review().history().count(), 3300);
    EXPECT_TRUE(graph(Speed)->showsHistory());
    EXPECT_EQ(review().history().visibleRange().last, 3300);

    button("Save")->click();
    EXPECT_EQ(fileBytes("cardata.csv"), text);
    ASSERT_TRUE(files().saveAsFile(workFolder.filePath("copy.csv")));
    EXPECT_EQ(fileBytes(workFolder.filePath("copy.csv")), text);
}

// A file that is refused changes nothing in the window, nor do a question
// answered with Cancel or a folder; records that are not saved are asked for.
TEST_F(Review, ARefusedFileLeavesTheWindowAsItWas)
{
    sim->setAnswering(false);
    gui->liveData();
    liveRecords({{2008, 12, 31, 23, 59, 30}, {2008, 12, 31, 23, 59, 40}});
    button("Stop")->click();
    const std::string before = held();
    const QByteArray good = "0 2008-12-31 23:59:30 12.30 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n"
                            "10 2008-12-31 23:59:40 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00\n";
    writeText("bad.csv", good + "20 2008-12-31 23:59:50 0.00 0.00 0.00\n");
    writeText("good.csv", good);
    err();

    answer(QMessageBox::Discard);
    EXPECT_FALSE(files().openFile("bad.csv"));
    EXPECT_TRUE(asked) << "two records are not saved";
    EXPECT_EQ(err(), "Error: Unable to open file bad.csv: line 3: 6 fields; a record has 12\n");
    EXPECT_TRUE(status().contains("bad.csv: line 3: 6 fields")) << status().toStdString();
    EXPECT_TRUE(held() == before);

    answer(QMessageBox::Discard);
    EXPECT_FALSE(files().openFile(workFolder.path()));
    EXPECT_EQ(err(), "Error: Unable to open file " + workFolder.path().toStdString() + ": " +
                         workFolder.path().toStdString() + " is a folder, not a file\n");
    answer(QMessageBox::Cancel);
    EXPECT_FALSE(files().openFile("good.csv"));
    EXPECT_TRUE(held() == before);
    EXPECT_EQ(err(), "");
    // Save, its file dialog cancelled or its file not written (the disk full), keeps them too.
    const QString full = workFolder.filePath("full.csv");
    ASSERT_EQ(symlink("/dev/full", (full + "." + QString::number(getpid()) + ".tmp").toLocal8Bit().constData()), 0);
    for (const QString& file : {QString(), full}) {
        answer(QMessageBox::Save, file);
        EXPECT_FALSE(files().openFile("good.csv")) << file.toStdString();
        EXPECT_TRUE(asked && held() == before) << file.toStdString();
    }
    EXPECT_EQ(err(), "Error: Unable to write file " + full.toStdString() + ": Cannot write file: " + full.toStdString() +
                         ": No space left on device\n");
    // Saved: then opened, and the file dialogs start in the folder picked.
    ASSERT_TRUE(QDir(workFolder.path()).mkdir("saved"));
    answer(QMessageBox::Save, workFolder.filePath("saved/kept.csv"));
    EXPECT_TRUE(files().openFile("good.csv"));
    EXPECT_EQ(fileBytes(workFolder.filePath("saved/kept.csv")).count('\n'), 2);
    EXPECT_EQ(recentFolder().toStdString(), workFolder.filePath("saved").toStdString());

    answer(QMessageBox::Discard);
    ASSERT_TRUE(files().openFile("good.csv"));
    EXPECT_EQ(int(gui->contents().records.size()), 2);
    EXPECT_FALSE(held() == before);
    // Just opened: nothing to lose, nothing asked.
    answer(QMessageBox::Cancel);
    EXPECT_TRUE(files().openFile("good.csv"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(asked);
}

// Pause freezes the graphs on the history so far while records keep coming
// into the window; P again goes on with the newest. Opening waits for Stop.
TEST_F(Review, PauseKeepsRecordsArrivingAndOpeningWaitsForStop)
{
    gui->show();
    gui->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(gui.get()));
    sim->setAnswering(false);
    QAction* pause = menuEntry("&Pause");
    EXPECT_FALSE(pause->isEnabled()) << "nothing runs";
    button("LiveData")->click();
    liveRecords({{2008, 12, 31, 23, 59, 30}, {2008, 12, 31, 23, 59, 40}});
    EXPECT_FALSE(menuEntry("&Open...")->isEnabled());
    EXPECT_FALSE(files().openFile("cardata.csv"));
    EXPECT_EQ(unexpected.join("; ").toStdString(), "") << "Open asked during LiveData";
    EXPECT_TRUE(status().contains("not while LiveData")) << status().toStdString();

    gui->statusBar()->clearMessage();
    QTest::keyClick(gui.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(status().contains("not while LiveData")) << "Ctrl+O says why it waits";

    QTest::keyClick(gui.get(), Qt::Key_P);
    EXPECT_TRUE(pause->isChecked());
    EXPECT_TRUE(graph(Speed)->showsHistory());
    gui->statusBar()->showMessage("a passing note", 1);
    waitUntil([] { return false; }, 50);
    EXPECT_TRUE(pauseShown()) << "the pause shows for as long as it lasts";
    liveRecords({{2008, 12, 31, 23, 59, 50}, {2009, 1, 1, 0, 0, 0}, {2009, 1, 1, 0, 0, 10}});
    EXPECT_EQ(logView()->document()->blockCount(), 5);
    EXPECT_EQ(review().history().count(), 5);
    EXPECT_EQ(review().history().visibleRange().last, 2) << "the drawing stands still";

    // The cursor reads what has arrived so far.
    ZGraphPlot* plot = graph(Voltage)->plotArea();
    QTest::mouseMove(plot, QPoint(plot->width() - 2, 10));
    const QString readOut = gui->findChild<CursorReadout*>()->fullText();
    EXPECT_TRUE(readOut.startsWith("2008-12-31 23:59:40  Throttle 12.30")) << readOut.toStdString();
    EXPECT_TRUE(readOut.endsWith("Time 10.00  Power 18.51")) << readOut.toStdString();

    // Typing elsewhere is typing, not Pause.
    auto* typing = new QLineEdit(gui->centralWidget());
    typing->show();
    typing->setFocus();
    QTest::keyClick(typing, Qt::Key_P);
    EXPECT_EQ(typing->text(), "p");
    EXPECT_TRUE(pause->isChecked());
    delete typing;

    QTest::keyClick(gui.get(), Qt::Key_P);
    EXPECT_FALSE(pauseShown());
    EXPECT_FALSE(pause->isChecked());
    EXPECT_FALSE(graph(Speed)->showsHistory());
    button("Stop")->click();
    EXPECT_TRUE(graph(Speed)->showsHistory());
    EXPECT_EQ(review().history().visibleRange().last, 5);
    EXPECT_TRUE(menuEntry("&Open...")->isEnabled());
    EXPECT_FALSE(pause->isEnabled());
    // Saved: Open drops nothing unsaved and asks nothing.
    button("Save")->click();
    answer(QMessageBox::Cancel);
    EXPECT_TRUE(files().openFile("cardata.csv"));
    EXPECT_FALSE(asked) << "the records were saved";
}

TEST_F(Review, SaveAsAndThePictureReportWhatTheyCouldNotWrite)
{
    gui->resize(1010, 700);
    gui->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(gui.get()));
    sim->setAnswering(false);
    gui->liveData();
    liveRecords({{2008, 12, 31, 23, 59, 30}});
    err();

    // A full disk: the file written beside the one picked is /dev/full.
    const QString picked = workFolder.filePath("picked.csv");
    const std::string temp = picked.toStdString() + "." + std::to_string(long(getpid())) + ".tmp";
    ASSERT_EQ(symlink("/dev/full", temp.c_str()), 0);
    EXPECT_FALSE(files().saveAsFile(picked));
    EXPECT_EQ(err(), "Error: Unable to write file " + picked.toStdString() + ": Cannot write file: " +
                         picked.toStdString() + ": No space left on device\n");
    EXPECT_EQ(fileBytes(picked), "<no regular file>");
    EXPECT_TRUE(status().startsWith("Save failed")) << status().toStdString();
    EXPECT_EQ(files().saveAsFile("/nonexistent/picked.csv"), false);
    EXPECT_EQ(err(), "Error: Unable to open file /nonexistent/picked.csv\n");

    // The picture is the ten graphs, no more; a folder that is not there is said so.
    ASSERT_TRUE(review().exportPictureTo(workFolder.filePath("graphs.png")));
    const QImage picture(workFolder.filePath("graphs.png"));
    EXPECT_EQ(picture.width(), graph(Throttle)->width());
    EXPECT_EQ(picture.height(), graph(Time)->geometry().bottom() - graph(Throttle)->geometry().top() + 1);
    EXPECT_FALSE(review().exportPictureTo("/nonexistent/graphs.png"));
    EXPECT_EQ(err().rfind("Error: Unable to write file /nonexistent/graphs.png: ", 0), 0u);
    EXPECT_TRUE(status().startsWith("Export failed")) << status().toStdString();
}

// The window shows what it holds: a record still on its way at Stop joins the
// history, the end of a run ends a pause, the history reads the file's tenths,
// and an empty file leaves nothing of what was shown before.
TEST_F(Review, TheWindowShowsWhatItHoldsWhenARunEndsAndWhenAFileIsOpened)
{
    gui->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(gui.get()));
    sim->setAnswering(false);
    gui->liveData();
    liveRecords({{2008, 12, 31, 23, 59, 30}, {2008, 12, 31, 23, 59, 40}});
    button("Stop")->click();
    liveRecords({{2008, 12, 31, 23, 59, 50}});
    EXPECT_EQ(review().history().visibleRange().last, 3) << "the late record is shown";

    gui->liveData();
    liveRecords({{2009, 1, 1, 0, 0, 0}, {2009, 1, 1, 0, 0, 10}});
    gui->pause();
    liveRecords({{2009, 1, 1, 0, 0, 20}});
    button("Stop")->click();
    EXPECT_EQ(review().history().visibleRange().last, 3) << "the pause ended with the run";

    writeText("tenths.csv", "0 2008-12-31 23:59:30 87.20 2620.80 45.67 12.34 1.50 10.00 20.50 87 22.50\n"
                            "10 2008-12-31 23:59:40 87.30 2620.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n");
    answer(QMessageBox::Discard);
    ASSERT_TRUE(files().openFile("tenths.csv"));
    EXPECT_FLOAT_EQ(gui->contents().values[Throttle][0], 87.0f) << "the live windows drop the tenths";
    ZGraphPlot* plot = graph(Voltage)->plotArea();
    QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(1, 10));
    QTest::mouseMove(plot, QPoint(plot->width() - 1, 10));
    const QString readOut = gui->findChild<CursorReadout*>()->fullText();
    EXPECT_TRUE(readOut.contains("Throttle 87.30  MotorSpeed 2620.00")) << readOut.toStdString();
    EXPECT_TRUE(readOut.contains("from the pinned: +0:00:10  Throttle +0.10  MotorSpeed -0.80")) << readOut.toStdString();

    writeText("empty.csv", "");
    ASSERT_TRUE(files().openFile("empty.csv"));
    EXPECT_EQ(logView()->toPlainText(), "");
    EXPECT_EQ(review().history().visibleRange().last, 0);
    EXPECT_STREQ(graph(Voltage)->yAxisTexts().high.cStr(), "") << "no maximum of records not held";
    EXPECT_STREQ(graph(Time)->xAxisTexts().high.cStr(), "");
}

// A large file: the window's events go on between its pieces and between the
// slices of its histories (a timer stands for the user's clicks), and Cancel
// in either leaves the window as it was.
TEST_F(Review, OpeningALargeFileAnswersEventsAndCanBeCancelled)
{
    unsigned seed = 5;
    RecordList logged;
    appendLog(logged, 1215000000, 300000, seed);
    ASSERT_EQ(writeCsv(logged, ZString("large.csv")).getNumber(), 0);
    const std::string before = held();
    const std::function<bool(QProgressDialog*, int)> moments[] = {
        [](QProgressDialog*, int ticks) { return ticks == 3; },  // reading
        [](QProgressDialog* bar, int) { return bar->labelText().startsWith("Showing"); },
    };
    for (const auto& cancelNow : moments) {
        int ticks = 0;
        QTimer clicks;
        QObject::connect(&clicks, &QTimer::timeout, [&] {
            QProgressDialog* bar = gui->findChild<QProgressDialog*>("openProgress");
            if (cancelNow(bar, ++ticks))
                bar->cancel();
        });
        clicks.start(0);
        EXPECT_FALSE(files().openFile("large.csv"));
        EXPECT_GE(ticks, 3);
        EXPECT_TRUE(status().startsWith("Open cancelled")) << status().toStdString();
        EXPECT_TRUE(held() == before);
    }
    EXPECT_EQ(err(), "");
}

// At 800 pixels wide, every value of both cursors is in a line that fits.
TEST_F(Review, TheReadOutFitsANarrowWindow)
{
    gui->resize(800, 600);
    gui->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(gui.get()));
    writeText("two.csv", "0 2008-12-31 23:59:30 12.30 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n"
                         "10 2008-12-31 23:59:40 87.30 2620.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n");
    ASSERT_TRUE(files().openFile("two.csv"));
    ZGraphPlot* plot = graph(Voltage)->plotArea();
    QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(1, 10));
    QTest::mouseMove(plot, QPoint(plot->width() - 1, 10));
    const CursorReadout* readout = gui->findChild<CursorReadout*>();
    const QStringList lines = readout->text().split('\n');
    EXPECT_LE(lines.size() * readout->fontMetrics().lineSpacing(), readout->contentsRect().height());
    for (const QString& line : lines)
        EXPECT_LE(readout->fontMetrics().horizontalAdvance(line), readout->contentsRect().width()) << line.toStdString();
    for (const char* shown : {"Throttle 87.30", "Temperature 22.50", "Time 10.00", "+0:00:10", "Temperature +0.00"})
        EXPECT_TRUE(lines.join(' ').contains(shown)) << shown;
}

// Quit, Ctrl+Q and the close button ask for records not saved, as Open does;
// whatever keeps the records keeps the program running, and Open keeps them too.
TEST_F(Review, QuitAsksForRecordsNotSavedAndEndsOnlyOnceTheyAreSavedOrDropped)
{
    const auto shown = [this] {
        gui->show();
        gui->activateWindow();
        return QTest::qWaitForWindowActive(gui.get());
    };
    ASSERT_TRUE(shown());
    const std::function<void()> ways[] = {[&] {
                                              // A closed question leaves the window not active.
                                              ASSERT_TRUE(shown());
                                              QTest::keyClick(gui.get(), Qt::Key_Q, Qt::ControlModifier);
                                          },
                                          [&] { gui->close(); }, [&] { menuEntry("&Quit")->trigger(); }};
    answer(std::nullopt);
    EXPECT_TRUE(quits(ways[0]) && !asked) << "nothing to lose, nothing asked";
    ASSERT_TRUE(shown());
    sim->setAnswering(false);
    gui->liveData();
    liveRecords({{2008, 12, 31, 23, 59, 30}});
    button("Stop")->click();
    writeText("good.csv", "0 2008-12-31 23:59:30 12.30 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n");
    const std::string before = held();

    // Cancel, or a Save whose file dialog is cancelled or whose write fails.
    const std::pair<QMessageBox::StandardButton, QString> keeping[] = {
        {QMessageBox::Cancel, ""}, {QMessageBox::Save, ""}, {QMessageBox::Save, "/nonexistent/kept.csv"}};
    for (const auto& [button, file] : keeping) {
        for (const std::function<void()>& way : ways) {
            answer(button, file);
            EXPECT_FALSE(quits(way));
            EXPECT_TRUE(answered() && gui->isVisible());
        }
        answer(button, file);
        EXPECT_FALSE(files().openFile("good.csv"));
        EXPECT_TRUE(answered() && held() == before);
    }
    err();

    answer(QMessageBox::Discard);
    EXPECT_TRUE(quits(ways[1]) && answered());
    ASSERT_TRUE(shown());
    answer(QMessageBox::Save, workFolder.filePath("saved.csv"));
    EXPECT_TRUE(quits(ways[2]) && answered());
    EXPECT_TRUE(fileBytes(workFolder.filePath("saved.csv")).startsWith("0 2008-12-31 23:59:30"));
    // Saved: neither Quit nor Open asks again.
    answer(std::nullopt);
    EXPECT_TRUE(quits(ways[0]));
    EXPECT_TRUE(files().openFile("good.csv"));
    EXPECT_FALSE(asked);
}

// Save and Save As with no record write nothing and keep the file there.
TEST_F(Review, SaveWithNoRecordKeepsTheFileThere)
{
    writeText("cardata.csv", "kept\n");
    const std::function<bool()> saves[] = {[&] { return files().save(); }, [&] { return files().saveAs(); },
                                           [&] { return files().saveAsFile("cardata.csv"); }};
    for (const std::function<bool()>& save : saves) {
        gui->statusBar()->clearMessage();
        EXPECT_FALSE(save());
        EXPECT_EQ(fileBytes("cardata.csv"), "kept\n");
        EXPECT_TRUE(status().startsWith("Nothing to save")) << status().toStdString();
    }
    // No file dialog either: the fixture's watch would have found it unexpected.
}

// File > Save Range As writes the records between two cursors placed with
// the keys, counting seconds from the first, and Open takes the same records
// back; an empty range is refused and a path that cannot be written is said so.
TEST_F(Review, SaveRangeAsWritesTheRecordsBetweenTheCursors)
{
    gui->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(gui.get()));
    unsigned seed = 5;
    RecordList logged;
    appendLog(logged, 1626264000, 300, seed);  // 2021-07-14 12:00:00
    ASSERT_EQ(writeCsv(logged, ZString("logged.csv")).getNumber(), 0);
    ASSERT_TRUE(files().openFile("logged.csv"));
    gui->findChild<SummaryPanel*>()->setRange(SummaryPanel::BetweenCursors);
    QAction* saveRange = menuEntry("Save Ran&ge As...");
    saveRange->trigger();
    EXPECT_TRUE(status().startsWith("Nothing to save: the summary's range holds no records")) << status().toStdString();

    // From the middle of the 300 records, 40 to the right.
    graph(Speed)->setFocus();
    QTest::keyClick(gui->windowHandle(), Qt::Key_Right);
    QTest::keyClick(gui->windowHandle(), Qt::Key_Space);
    for (int step = 0; step < 40; ++step)
        QTest::keyClick(gui->windowHandle(), Qt::Key_Right);
    const RecordList& held = gui->contents().records;
    const std::string between = bytesOf(RecordList(held.begin() + 150, held.begin() + 191));
    fileReply = workFolder.filePath("range.csv");
    saveRange->trigger();
    EXPECT_EQ(status(), "Saved 41 records to " + workFolder.filePath("range.csv"));
    EXPECT_TRUE(fileBytes("range.csv").startsWith("0 2021-07-14 12:02:30 ")) << fileBytes("range.csv").left(40).data();
    ASSERT_TRUE(files().openFile("range.csv"));
    EXPECT_EQ(bytesOf(gui->contents().records), between);

    err();
    EXPECT_FALSE(files().saveRangeToFile(0, 10, "/nonexistent/range.csv"));
    EXPECT_EQ(err(), "Error: Unable to open file /nonexistent/range.csv\n");
    EXPECT_TRUE(status().startsWith("Save failed")) << status().toStdString();
}
