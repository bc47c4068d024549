#include "WManual.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextTable>
#include <QVBoxLayout>

namespace {

// Qt lays out Markdown tables with a double line around each cell and no room in it.
void spaceOutTables(QTextDocument* document)
{
    QTextTableCellFormat line;
    line.setBorder(0.5);
    line.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    line.setBorderBrush(QColor(170, 170, 170));
    for (QTextFrame* frame : document->rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table)
            continue;
        QTextTableFormat format = table->format();
        format.setBorderCollapse(true);
        format.setCellPadding(4);
        table->setFormat(format);
        for (int row = 0; row < table->rows(); ++row)
            for (int column = 0; column < table->columns(); ++column)
                table->cellAt(row, column).setFormat(line);
    }
}

// Pictures as wide as the page, not as wide as they were taken.
void fitPictures(QTextDocument* document, int width)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat picture = fragment.charFormat().toImageFormat();
            picture.setWidth(width);
            QTextCursor cursor(document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(picture);
        }
    }
}

} // namespace

WManual::WManual(QWidget* parent)
    : QDialog(parent),
      view(new QTextBrowser(this))
{
    setWindowTitle("TralixGui Manual");
    view->setOpenExternalLinks(true);
    view->setSearchPaths({QString::fromLatin1(":/manual")});
    view->setMarkdown(guideText());
    view->document()->setDocumentMargin(12);
    spaceOutTables(view->document());
    fitPictures(view->document(), 720);

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

void WManual::showFor(QWidget* parent)
{
    WManual* guide = parent->findChild<WManual*>(QString(), Qt::FindDirectChildrenOnly);
    if (!guide)
        guide = new WManual(parent);
    guide->show();
    guide->raise();
    guide->activateWindow();
}
