#include "PortMenu.h"

#include "OtherDeviceDialog.h"
#include "PortSession.h"
#include "RecentDevices.h"

#include <QActionGroup>

namespace {

QString menuText(const std::string& text)
{
    // A '&' in a device name is shown, not taken as a shortcut.
    return QString::fromLocal8Bit(text.c_str()).replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

PortMenu::PortMenu(PortSession& portSession, QWidget* parent)
    : QMenu(tr("&Port"), parent), session(portSession), ports(new QActionGroup(this))
{
    // One port at a time: the entries are marked as radio buttons.
    ports->setExclusive(true);
    connect(this, &QMenu::aboutToShow, this, &PortMenu::fill);
}

void PortMenu::fill()
{
    clear();
    SerialPortList list(folders);
    if (session.isOpen())
        list.setOwnDevice(session.device().cStr());
    const std::vector<SerialPortEntry> present = list.scan();
    for (const SerialPortEntry& port : present) {
        QAction* entry = addAction(menuText(port.description()));
        entry->setCheckable(true);
        ports->addAction(entry);
        entry->setChecked(port.ours);
        const QString device = QString::fromLocal8Bit(port.device.c_str());
        entry->setStatusTip(tr("Opens %1 in place of the current port").arg(device));
        // The port already open stays as it is.
        if (!port.ours)
            connect(entry, &QAction::triggered, this, [this, device] { switchTo(device); });
    }
    if (present.empty())
        addAction(tr("No serial ports found"))->setEnabled(false);
    addSeparator();
    addAction(tr("&Other device..."), this, &PortMenu::chooseOther)
        ->setStatusTip(tr("Opens a serial device by its name"));
}

void PortMenu::chooseOther()
{
    OtherDeviceDialog dialog(QString::fromLocal8Bit(session.device().cStr()), parentWidget());
    if (dialog.exec() != QDialog::Accepted || dialog.device().isEmpty())
        return;
    rememberDevice(dialog.device());
    switchTo(dialog.device());
}

void PortMenu::switchTo(const QString& device)
{
    session.switchTo(ZString(device.toLocal8Bit().constData()));
}
