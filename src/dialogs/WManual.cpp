#include "WManual.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

WManual::WManual(QWidget* parent)
    : QDialog(parent),
      view(new QTextBrowser(this))
{
    setWindowTitle("TralixGui Manual");
    view->setOpenExternalLinks(true);
    view->setMarkdown(guideText());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, SIGNAL(rejected()), this, SLOT(hide()));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view);
    layout->addWidget(buttons);
    resize(800, 650);
}

QString WManual::guideText()
{
    QFile guide(":/manual/guide.md");
    if (!guide.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(guide.readAll());
}
