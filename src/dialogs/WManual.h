#pragma once
// The user guide in a window of its own: docs/guide.md as the program was built
// with it, shown as rich text. Not modal, so the guide can stay open beside the
// main window while the user works.

#include <QDialog>

class QTextBrowser;

class WManual : public QDialog
{
    Q_OBJECT

public:
    explicit WManual(QWidget* parent = nullptr);

    // Shows `parent`'s one guide window, made on first use and shown again
    // where the user left it.
    static void showFor(QWidget* parent);

    QTextBrowser* browser() const { return view; }

    // The guide's Markdown, as compiled into the program.
    static QString guideText();

private:
    QTextBrowser* view;
};
