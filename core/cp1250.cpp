#include "core/cp1250.h"

#include <QHash>
#include <QStringDecoder>

// The code page is single-byte: one table each way, built once from Qt's own
// converter, keeps conversion fast enough for tables of many thousand records.
namespace {
struct Tables {
    char16_t toUnicode[256];
    QHash<char16_t, char> toByte;
    Tables()
    {
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            QStringDecoder dec("windows-1250");
            const QString s = dec.decode(QByteArrayView(&c, 1));
            // Bytes the code page leaves unassigned pass through as the same code point.
            const char16_t u = (s.size() == 1 && s[0] != QChar::ReplacementCharacter) ? s[0].unicode() : char16_t(b);
            toUnicode[b] = u;
            toByte.insert(u, c);
        }
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}
} // namespace

QByteArray toCp1250(const QString &text)
{
    const Tables &t = tables();
    QByteArray out(text.size(), Qt::Uninitialized);
    char *p = out.data();
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80) {
            *p++ = char(u);
            continue;
        }
        auto it = t.toByte.constFind(u);
        *p++ = it == t.toByte.constEnd() ? '?' : it.value();
    }
    return out;
}

QString fromCp1250(const char *bytes, int size)
{
    const Tables &t = tables();
    QString out(size, Qt::Uninitialized);
    QChar *p = out.data();
    for (int i = 0; i < size; ++i)
        *p++ = QChar(t.toUnicode[uchar(bytes[i])]);
    return out;
}

QString fromCp1250(const QByteArray &bytes) { return fromCp1250(bytes.constData(), int(bytes.size())); }

bool fitsCp1250(const QString &text)
{
    const Tables &t = tables();
    for (QChar ch : text)
        if (ch.unicode() >= 0x80 && !t.toByte.contains(ch.unicode()))
            return false;
    return true;
}
