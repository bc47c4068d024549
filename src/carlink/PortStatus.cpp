#include "PortStatus.h"

#include "PortSession.h"
#include "StatusNotes.h"

#include <QStatusBar>

#include <algorithm>

namespace {

// The most the note takes of the status bar of a window at its least width.
constexpr int noteWidth = 900;

} // namespace

PortStatus::PortStatus(PortSession& portSession, QStatusBar* bar) : QLabel(bar), session(portSession)
{
    bar->addPermanentWidget(this);
    connect(&session, &PortSession::stateChanged, this, &PortStatus::showState);
    connect(&session, &PortSession::refused, bar, [bar](const QString& why) { bar->showMessage(why, remarkMs); });
    connect(&session, &PortSession::reopened, bar,
            [bar] { bar->showMessage(QString::fromLatin1("The serial port is back"), remarkMs); });
}

void PortStatus::showState()
{
    // A device name can be as long as the command line; the note must not
    // stretch the window, and the help for a refused device takes room of its own.
    const int room = noteWidth - fontMetrics().horizontalAdvance(session.stateText(QString()));
    setText(session.stateText(fontMetrics().elidedText(QString::fromLocal8Bit(session.device().cStr()),
                                                       Qt::ElideMiddle, std::clamp(room, 120, 400))));
}
