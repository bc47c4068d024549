#pragma once
// The data directory dialog: one row per block that the Car Computer has
// stored (or "All Data" when it keeps no directory); Download hands the
// selected rows back to the main window.

#include <QDialog>
#include <QVBoxLayout>

class Gui;
class QListWidget;

class WDataDirectory : public QDialog
{
    Q_OBJECT

public:
    WDataDirectory(QWidget* parent, Gui* gui);

    QListWidget* rows() const { return list; }

public slots:
    // Refills the rows from the Car Computer's directory. (It hides
    // QWidget::update(); a repaint has to name QWidget::update explicitly.)
    void update();
    // Hands the selected rows, in ascending order, to the main window.
    void download();

private:
    Gui* gui;
    QVBoxLayout layout;
    QListWidget* list;
};
