#pragma once
// A generic application main window, assembled by init() in fixed steps that a
// subclass overrides: menus, central widget, status bar, tool bar. By itself it
// is a complete window with a File menu (Quit), a push button in the middle,
// "Ready" in the status bar and a tool bar with the What's-This button.
//
// The constructor builds nothing: whoever creates the window calls init() once,
// so that a subclass's steps take effect.

#include "ZList.h"

#include <QMainWindow>
#include <QString>

class QAction;
class QCloseEvent;
class QMenu;
class QToolBar;

class AppGui : public QMainWindow
{
    Q_OBJECT

public:
    AppGui();
    ~AppGui() override;

    // Sets the caption, then runs createMenus, createMainWidget,
    // createStatusBar and createToolBar, in this order.
    virtual void init(const QString& caption);

public slots:
    // Closes the window, which may decline (mayClose), and only then ends the program.
    virtual void slotQuit();

protected:
    // Whether the window may close now (Quit, the close button).
    virtual bool mayClose() { return true; }
    void closeEvent(QCloseEvent* event) override;

    virtual void createMenus();
    virtual void createMainWidget();
    virtual void createStatusBar();
    virtual void createToolBar();

    // One menu entry on `target`, its triggered() signal connected to this
    // window's `member`, given in Qt's coded form ("1slotQuit()"). An empty
    // `accel` gives no shortcut; `tip` is the status tip and What's-This text.
    // `name` is not used. The action is a child of the window; it is not
    // recorded in `actions`.
    virtual QAction* createAction(QWidget* target, const QString& name, const QString& text,
                                  const QString& accel, const QString& member, const QString& tip);

    // What the default createMenus made. Neither list owns its elements.
    ZList<QMenu*> menus;
    ZList<QAction*> actions;
    // Made by the default createToolBar; null until then.
    QToolBar* toolBar;
};
