#pragma once
// The folder the user last picked a file in, kept between runs, where the file
// dialogs of Open, Save As and Export Picture start.

#include <QString>

class QWidget;

// The working folder until a file has been picked.
QString recentFolder();
// Remembers the folder that holds `fileName`.
void rememberFolderOf(const QString& fileName);
// The save dialog, starting at `defaultName` in the recent folder; the name
// picked, whose folder is then remembered, or empty when cancelled.
QString askSaveFileName(QWidget* parent, const QString& caption, const QString& defaultName, const QString& filter);
