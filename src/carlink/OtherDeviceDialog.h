#pragma once
// Port ▸ Other device...: a serial device by a name the port list cannot know
// (a link, a pseudo-terminal), typed or picked from the names typed before.
// Wide enough to show a /dev/serial/by-id name whole.

#include <QDialog>

class QComboBox;

class OtherDeviceDialog : public QDialog
{
    Q_OBJECT

public:
    // `current`: the name the field starts with, the port open now.
    OtherDeviceDialog(const QString& current, QWidget* parent);

    QString device() const;

private:
    QComboBox* names;
};
