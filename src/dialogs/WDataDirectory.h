#pragma once
// The data directory dialog: one row per block that the Car Computer has
// stored (or "All Data" when it keeps no directory); Download hands the
// selected rows back to the window that asked.

#include "DirectorySource.h"

#include <QDialog>
#include <QVBoxLayout>

class QListWidget;

class WDataDirectory : public QDialog
{
    Q_OBJECT

public:
    WDataDirectory(QWidget* parent, DirectorySource* source);

    QListWidget* rows() const { return list; }

public slots:
    // Refills the rows from the Car Computer's directory. (It hides
    // QWidget::update(); a repaint has to name QWidget::update explicitly.)
    void update();
    // Hands the selected rows, in ascending order, to the source.
    void download();

private:
    DirectorySource* source;
    QVBoxLayout layout;
    QListWidget* list;
};
