#include "link/byte_trace.h"
#include "core/clock.h"

#include <QDateTime>

void ByteTrace::setFile(const QString &fileName)
{
    if (fileName == file_.fileName() && on())
        return;
    file_.close();
    if (fileName.isEmpty())
        return;
    file_.setFileName(fileName);
    // A trace that cannot be opened must not stop the device operations.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append))
        file_.setFileName(QString());
}

QByteArray traceLine(const char *direction, const char *bytes, int count)
{
    return QByteArray(direction) + ' ' + QByteArray(bytes, count).toHex(' ').toUpper();
}

void ByteTrace::log(const char *direction, const char *bytes, int count)
{
    if (!on() || count <= 0)
        return;
    const QByteArray time = wallNow().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    file_.write(time + ' ' + traceLine(direction, bytes, count) + "\r\n");
    file_.flush();
}
