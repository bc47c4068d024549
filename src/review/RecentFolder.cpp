#include "RecentFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

namespace {

const char* const folderKey = "files/recentFolder";
const char* const company = "TralixGui";
const char* const program = "TralixGui";

} // namespace

QString recentFolder()
{
    const QSettings settings(QString::fromLatin1(company), QString::fromLatin1(program));
    const QString folder = settings.value(QLatin1String(folderKey)).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::currentPath();
}

void rememberFolderOf(const QString& fileName)
{
    QSettings settings(QString::fromLatin1(company), QString::fromLatin1(program));
    settings.setValue(QLatin1String(folderKey), QFileInfo(fileName).absolutePath());
}

QString askSaveFileName(QWidget* parent, const QString& caption, const QString& defaultName, const QString& filter)
{
    const QString fileName =
        QFileDialog::getSaveFileName(parent, caption, recentFolder() + QLatin1Char('/') + defaultName, filter);
    if (!fileName.isEmpty())
        rememberFolderOf(fileName);
    return fileName;
}
