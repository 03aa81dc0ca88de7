#pragma once
// The bytes of one fuzz input as a file, for readers that take a file name.

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

inline QString fuzzFile(const uint8_t *data, size_t size, const char *name)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(reinterpret_cast<const char *>(data), qint64(size));
    return path;
}
