#pragma once
// A run's progress in the status bar, one note after the other, that gives way
// to any other note for a while: a refusal or a remark shown during a download
// stays readable instead of being replaced by the next record's progress.

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QStatusBar;

class ProgressNote : public QObject
{
    Q_OBJECT

public:
    // How long another note holds the progress back.
    static constexpr int holdMs = 3000;

    explicit ProgressNote(QStatusBar* bar);

    // Shown unless another note came less than holdMs ago and still shows.
    void show(const QString& text);
    // The download's: record `record` of `records` of block `block` of `blocks`.
    void showDownload(int block, int blocks, int record, int records);

private:
    QStatusBar* bar;
    QString shown;  // the progress note last shown
    QElapsedTimer otherNote;  // since another note came
};
