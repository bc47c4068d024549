#pragma once
// The folder the user last picked a file in, kept between runs, where the file
// dialogs of Open, Save As and Export Picture start.

#include <QString>

// The working folder until a file has been picked.
QString recentFolder();
// Remembers the folder that holds `fileName`.
void rememberFolderOf(const QString& fileName);
