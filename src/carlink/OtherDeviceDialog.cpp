#include "OtherDeviceDialog.h"

#include "RecentDevices.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// The length of the names an adapter gets under /dev/serial/by-id.
const char* const longName = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

} // namespace

OtherDeviceDialog::OtherDeviceDialog(const QString& current, QWidget* parent)
    : QDialog(parent), names(new QComboBox(this))
{
    setWindowTitle(tr("Other device"));
    names->setEditable(true);
    names->setInsertPolicy(QComboBox::NoInsert);
    names->addItems(recentDevices());
    names->setEditText(current);
    // Room for the text, the arrow and the frame.
    names->setMinimumWidth(names->fontMetrics().horizontalAdvance(QLatin1String(longName)) +
                           names->fontMetrics().height() * 3);
    QLabel* label = new QLabel(tr("Serial device to open:"), this);
    label->setBuddy(names);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(names);
    layout->addWidget(buttons);
}

QString OtherDeviceDialog::device() const
{
    return names->currentText().trimmed();
}
