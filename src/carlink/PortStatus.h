#pragma once
// The port session as the status bar shows it: a permanent note of the port's
// state, and a passing remark when a command is turned away or the port is back.

#include <QLabel>

class PortSession;
class QStatusBar;

class PortStatus : public QLabel
{
    Q_OBJECT

public:
    PortStatus(PortSession& session, QStatusBar* bar);

private:
    void showState();

    PortSession& session;
};
