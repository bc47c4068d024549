#include "PictureFile.h"

#include "WholeFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>

#include <cstdio>

QString writePng(const QString& fileName, const QImage& picture)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QString failure = QCoreApplication::translate("PictureFile", "the picture could not be made");
    if (picture.save(&buffer, "PNG")) {
        const auto content = [&png](std::FILE* file) {
            return std::fwrite(png.constData(), 1, std::size_t(png.size()), file) == std::size_t(png.size());
        };
        const ZError written = writeWholeFile(ZString(QFile::encodeName(fileName).constData()), content);
        failure = written ? QString::fromLocal8Bit(written.getString().cStr()) : QString();
    }
    if (!failure.isEmpty())
        std::fprintf(stderr, "Error: Unable to write file %s: %s\n", fileName.toLocal8Bit().constData(),
                     failure.toLocal8Bit().constData());
    return failure;
}
