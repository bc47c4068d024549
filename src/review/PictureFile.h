#pragma once
// A picture written as a PNG file, whole or not at all, as Export Picture and
// the X-Y plot's export write theirs.

#include <QString>

class QImage;

// Empty when written; else why not (the system's reason), which is also
// printed as an error line on the console.
QString writePng(const QString& fileName, const QImage& picture);
