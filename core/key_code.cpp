#include "core/key_code.h"

#include <QByteArray>

QString codeText(const quint8 *bytes)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(bytes), 8).toHex().toUpper());
}
