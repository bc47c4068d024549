// The default window that AppGui builds, and the steps a subclass replaces.
#include "AppGui.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Opens the framework's lists and steps to the test.
class ProbeGui : public AppGui
{
public:
    using AppGui::actions;
    using AppGui::createAction;
    using AppGui::menus;
    using AppGui::toolBar;

    int quitRequests = 0;
};

class NoToolBarGui : public ProbeGui
{
protected:
    void createToolBar() override {}
};

// Menus the way a program window makes them: one without a parent, as the
// default step does, one owned by the window.
class OwnMenusGui : public AppGui
{
protected:
    void createMenus() override
    {
        auto* commands = new QMenu();
        commands->setTitle("&Commands");
        createAction(commands, "Quit", "&Quit", "Ctrl+Q", "1slotQuit()", "");
        menuBar()->addMenu(commands);
        menuBar()->addMenu(new QMenu("&Help", this));
    }
};

// Records the order in which init runs the steps.
class OrderGui : public AppGui
{
public:
    QStringList steps;

protected:
    void createMenus() override { steps << "menus"; }
    void createMainWidget() override { steps << "main widget"; }
    void createStatusBar() override
    {
        steps << "status bar";
        AppGui::createStatusBar();
    }
    void createToolBar() override { steps << "tool bar"; }
};

QList<QMenu*> menuBarMenus(QMainWindow& window)
{
    QList<QMenu*> found;
    for (QAction* entry : window.menuBar()->actions())
        if (entry->menu())
            found << entry->menu();
    return found;
}

// Runs the application's event loop until something quits it; false when
// nothing did within the time.
bool eventLoopEnds(const std::function<void()>& action, int waitMs = 5000)
{
    bool timedOut = false;
    QTimer::singleShot(0, action);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(waitMs);
    QApplication::exec();
    return !timedOut;
}

} // namespace

TEST(AppGui, DefaultWindow)
{
    ProbeGui window;
    window.init("Caption");
    EXPECT_EQ(window.windowTitle(), "Caption");

    const QList<QMenu*> menus = menuBarMenus(window);
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->title(), "&File");
    ASSERT_EQ(menus[0]->actions().size(), 1);
    QAction* quit = menus[0]->actions()[0];
    EXPECT_EQ(quit->text(), "&Quit");
    EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(quit->statusTip(), "Quits the application");
    EXPECT_EQ(quit->whatsThis(), "Quits the application");
    EXPECT_EQ(quit->parent(), &window);

    auto* button = qobject_cast<QPushButton*>(window.centralWidget());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Default AppGui Running");
    EXPECT_EQ(button->objectName(), "Default AppGui Running");

    EXPECT_EQ(window.statusBar()->currentMessage(), "Ready");

    const QList<QToolBar*> toolBars = window.findChildren<QToolBar*>();
    ASSERT_EQ(toolBars.size(), 1);
    EXPECT_EQ(window.toolBar, toolBars[0]);
    EXPECT_EQ(toolBars[0]->objectName(), "toolbar");
    ASSERT_EQ(toolBars[0]->actions().size(), 1);
    toolBars[0]->actions()[0]->trigger();
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();

    EXPECT_EQ(window.menus.count(), 1);
    EXPECT_EQ(window.actions.count(), 1);
    ZListPos pos;
    window.menus.start(pos);
    EXPECT_EQ(window.menus.get(pos), menus[0]);
    window.actions.start(pos);
    EXPECT_EQ(window.actions.get(pos), quit);
}

TEST(AppGui, InitRunsTheStepsInOrder)
{
    OrderGui window;
    EXPECT_TRUE(window.steps.isEmpty());
    window.init("Order");
    EXPECT_EQ(window.steps, (QStringList{"menus", "main widget", "status bar", "tool bar"}));
    EXPECT_EQ(window.statusBar()->currentMessage(), "Ready");
}

TEST(AppGui, MenusGoWithTheWindow)
{
    QList<QPointer<QMenu>> made;
    {
        ProbeGui window;
        window.init("Default menus");
        for (QMenu* menu : menuBarMenus(window))
            made << menu;
        OwnMenusGui own;
        own.init("Own menus");
        for (QMenu* menu : menuBarMenus(own))
            made << menu;
    }
    ASSERT_EQ(made.size(), 3);
    for (const QPointer<QMenu>& menu : made)
        EXPECT_TRUE(menu.isNull());
}

TEST(AppGui, ToolBarStepCanBeLeftOut)
{
    NoToolBarGui window;
    window.init("No tool bar");
    EXPECT_EQ(window.toolBar, nullptr);
    EXPECT_TRUE(window.findChildren<QToolBar*>().isEmpty());
    EXPECT_EQ(menuBarMenus(window).size(), 1);
}

TEST(AppGui, QuitEntryEndsTheEventLoop)
{
    ProbeGui window;
    window.init("Quit");
    window.show();
    QAction* quit = menuBarMenus(window)[0]->actions()[0];
    EXPECT_TRUE(eventLoopEnds([quit] { quit->trigger(); }));
}

TEST(AppGui, CtrlQEndsTheEventLoop)
{
    ProbeGui window;
    window.init("Ctrl+Q");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(eventLoopEnds([&window] { QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier); }));
}

TEST(AppGui, CreatedActionsFollowTheirArguments)
{
    ProbeGui window;
    window.init("Actions");
    QMenu menu;

    QAction* plain = window.createAction(&menu, "Plain", "&Plain", "", "1slotQuit()", "No key");
    EXPECT_TRUE(plain->shortcut().isEmpty());
    EXPECT_EQ(plain->statusTip(), "No key");
    EXPECT_TRUE(menu.actions().contains(plain));
    EXPECT_EQ(plain->parent(), &window);
    // Only the default menu step records what it makes.
    EXPECT_EQ(window.actions.count(), 1);

    EXPECT_TRUE(eventLoopEnds([plain] { plain->trigger(); }));

    // A member that names no slot leaves the action unconnected (Qt warns).
    QAction* dangling = window.createAction(&menu, "None", "&None", "Ctrl+N", "1noSuchSlot()", "");
    EXPECT_EQ(dangling->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_FALSE(eventLoopEnds([dangling] { dangling->trigger(); }, 300));
}
