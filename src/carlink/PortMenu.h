#pragma once
// The Port menu: the serial ports present, read afresh each time the menu
// opens so that a freshly plugged adapter appears, and "Other device..." for
// a name the list cannot know (a link, a pseudo-terminal). The port chosen
// replaces the one the window has open.

#include "SerialPortList.h"

#include <QMenu>

class PortSession;
class QActionGroup;

class PortMenu : public QMenu
{
    Q_OBJECT

public:
    PortMenu(PortSession& session, QWidget* parent);

    // Where the ports are looked for; by default the system's folders.
    void setFolders(const SerialPortList::Folders& where) { folders = where; }

private:
    void fill();
    void chooseOther();
    void switchTo(const QString& device);

    PortSession& session;
    QActionGroup* ports;
    SerialPortList::Folders folders;
};
