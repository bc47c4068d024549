// Help > Manual: the user guide opens inside the program, rendered, and is the
// guide of the repository.
#include "Gui.h"
#include "WManual.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextTable>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A main window on a device that does not exist: the menus work without a port.
class ManualWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gui = std::make_unique<Gui>(ZString("/nonexistent/tralixgui-manual-test"));
        gui->init("TralixGui");
        gui->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(gui.get()));
    }

    QAction* helpEntry(const QString& text) const
    {
        for (QAction* title : gui->menuBar()->actions())
            if (title->menu() && title->text() == "&Help")
                for (QAction* entry : title->menu()->actions())
                    if (entry->text() == text)
                        return entry;
        return nullptr;
    }

    QList<WManual*> manuals() const { return gui->findChildren<WManual*>(); }

    std::unique_ptr<Gui> gui;
};

QString guideInRepository()
{
    QFile file(GUIDE_PATH);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << GUIDE_PATH;
    return QString::fromUtf8(file.readAll());
}

// The first block of the document that is a heading with this text, or an invalid block.
QTextBlock heading(const QTextDocument* document, const QString& text)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        if (block.blockFormat().headingLevel() > 0 && block.text() == text)
            return block;
    return QTextBlock();
}

} // namespace

TEST_F(ManualWindow, TheHelpEntryOpensTheGuideWithItsFirstHeadingOnTop)
{
    QAction* manual = helpEntry("&Manual");
    ASSERT_TRUE(manual);
    EXPECT_TRUE(manuals().isEmpty()) << "nothing is built before the user asks";

    manual->trigger();
    ASSERT_EQ(manuals().size(), 1);
    WManual* window = manuals().first();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal()) << "the guide stays open beside the main window";

    const QString firstLine = guideInRepository().section('\n', 0, 0);
    ASSERT_TRUE(firstLine.startsWith("# ")) << firstLine.toStdString();
    const QTextDocument* shown = window->browser()->document();
    const QTextBlock top = shown->begin();
    EXPECT_EQ(top.text(), firstLine.mid(2));
    EXPECT_EQ(top.blockFormat().headingLevel(), 1) << "rendered as a heading, not as Markdown text";
}

TEST_F(ManualWindow, TheGuideIsTheRepositorysGuideRenderedWithItsSectionsAndTables)
{
    EXPECT_EQ(WManual::guideText(), guideInRepository()) << "the program carries docs/guide.md as it is";

    helpEntry("&Manual")->trigger();
    const QTextDocument* shown = manuals().first()->browser()->document();
    for (const char* section : {"Starting TralixGui", "Buttons", "Menus", "cardata.csv"})
        EXPECT_EQ(heading(shown, section).blockFormat().headingLevel(), 2) << section;

    const QTextBlock buttons = heading(shown, "Buttons");
    ASSERT_TRUE(buttons.isValid());
    const QTextTable* table = QTextCursor(buttons.next()).currentTable();
    ASSERT_TRUE(table) << "the buttons' table follows its heading";
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->cellAt(1, 0).firstCursorPosition().block().text(), "LiveData");
    EXPECT_FALSE(shown->toPlainText().contains("|---|")) << "no Markdown shows through";
    // Every picture the guide shows is carried with it.
    const QRegularExpression picture("\\]\\(([a-z]+\\.png)\\)");
    for (auto found = picture.globalMatch(WManual::guideText()); found.hasNext();) {
        const QString name = found.next().captured(1);
        EXPECT_TRUE(QFile::exists(":/manual/" + name)) << name.toStdString();
    }
}

TEST_F(ManualWindow, CtrlMOpensTheGuideOnceAndBringsItBackAfterItWasClosed)
{
    QApplication::setActiveWindow(gui.get());
    QTest::keyClick(gui.get(), Qt::Key_M, Qt::ControlModifier);
    ASSERT_EQ(manuals().size(), 1);
    WManual* window = manuals().first();
    EXPECT_TRUE(window->isVisible());

    QScrollBar* scroll = window->browser()->verticalScrollBar();
    scroll->setValue(scroll->maximum());
    const int readUpTo = scroll->value();
    ASSERT_GT(readUpTo, 0) << "the guide is longer than its window";

    window->reject();
    EXPECT_FALSE(window->isVisible());
    QTest::keyClick(gui.get(), Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(manuals(), QList<WManual*>{window}) << "the same window, not a second one";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(scroll->value(), readUpTo) << "back where the user left it";
}
