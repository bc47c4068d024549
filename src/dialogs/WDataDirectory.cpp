#include "WDataDirectory.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>

#include <cstdio>

WDataDirectory::WDataDirectory(QWidget* parent, DirectorySource* directorySource)
    : QDialog(parent), source(directorySource), layout(this), list(nullptr)
{
    layout.setContentsMargins(0, 0, 0, 0);
    layout.setSpacing(0);
    setWindowTitle("Data Directory");

    list = new QListWidget(this);
    list->setMinimumSize(300, 300);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    layout.addWidget(list);

    QWidget* buttonRow = new QWidget(this);
    QHBoxLayout* buttons = new QHBoxLayout(buttonRow);
    layout.addWidget(buttonRow);

    // Both buttons act when pressed down, not when released; Cancel is Escape.
    QPushButton* downloadButton = new QPushButton("Download", buttonRow);
    buttons->addWidget(downloadButton);
    connect(downloadButton, SIGNAL(pressed()), this, SLOT(download()));
    QPushButton* cancelButton = new QPushButton("Cancel", buttonRow);
    buttons->addWidget(cancelButton);
    connect(cancelButton, SIGNAL(pressed()), this, SLOT(reject()));
}

void WDataDirectory::update()
{
    ZList<ZString> directory;
    source->getDirectory(directory);

    list->clear();
    if (directory.count() > 0) {
        ZListPos pos;
        for (directory.start(pos); !directory.isEnd(pos); directory.next(pos))
            list->addItem(QString::fromLatin1(directory.get(pos).cStr()));
    } else {
        list->addItem("All Data");
    }
}

void WDataDirectory::download()
{
    std::printf("Selected\n");
    ZList<int> selected;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->isSelected())
            selected.append(row);
    hide();
    source->fetchDataDir(selected);
}
