#include "AppGui.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QWhatsThis>

namespace {
constexpr int readyMessageMs = 10000;
}

AppGui::AppGui()
    : QMainWindow(nullptr, Qt::Window), toolBar(nullptr)
{
}

// Menus are made without a parent and the menu bar does not own them; the
// window deletes those still without one, whichever step made them.
AppGui::~AppGui()
{
    auto* bar = qobject_cast<QMenuBar*>(menuWidget());
    if (!bar)
        return;
    const QList<QAction*> entries = bar->actions();
    for (QAction* entry : entries) {
        QMenu* menu = entry->menu();
        if (menu && !menu->parent())
            delete menu;
    }
}

void AppGui::init(const QString& caption)
{
    setWindowTitle(caption);
    createMenus();
    createMainWidget();
    createStatusBar();
    createToolBar();
}

void AppGui::createMenus()
{
    auto* menu = new QMenu();
    menus.append(menu);
    QAction* quit = createAction(menu, tr("Quit"), tr("&Quit"), tr("Ctrl+Q"), "1slotQuit()",
                                 tr("Quits the application"));
    actions.append(quit);
    menu->setTitle(tr("&File"));
    menuBar()->addMenu(menu);
}

void AppGui::createMainWidget()
{
    const QString text = "Default AppGui Running";
    auto* button = new QPushButton(this);
    button->setObjectName(text);
    button->setText(text);
    setCentralWidget(button);
}

void AppGui::createStatusBar()
{
    statusBar()->showMessage(tr("Ready"), readyMessageMs);
}

void AppGui::createToolBar()
{
    toolBar = new QToolBar(this);
    toolBar->setObjectName("toolbar");
    addToolBar(toolBar);
    toolBar->addAction(QWhatsThis::createAction(toolBar));
}

QAction* AppGui::createAction(QWidget* target, const QString&, const QString& text,
                              const QString& accel, const QString& member, const QString& tip)
{
    auto* action = new QAction(text, this);
    action->setShortcut(QKeySequence(accel));
    action->setStatusTip(tip);
    action->setWhatsThis(tip);
    connect(action, SIGNAL(triggered()), this, member.toLatin1().constData());
    target->addAction(action);
    return action;
}

void AppGui::slotQuit()
{
    if (close())
        QCoreApplication::quit();
}

void AppGui::closeEvent(QCloseEvent* event)
{
    event->setAccepted(mayClose());
}
