#include "core/codepage.h"
#include "core/error.h"

#include <QStringDecoder>
#include <map>
#include <memory>

CodePage::CodePage(const QByteArray &name) : name_(name) {}

// False when Qt does not know the page or a byte decodes to more than one character.
bool CodePage::build()
{
    QStringDecoder probe(name_.constData());
    if (!probe.isValid())
        return false;
    // Pairs that UTF-8 and the East Asian pages read as one character.
    for (const char *pair : {"\xC4\x8D", "\x81\x40", "\xA4\xA1"}) {
        QStringDecoder dec(name_.constData());
        if (QString(dec.decode(QByteArrayView(pair, 2))).size() != 2)
            return false;
    }
    char16_t highest = 0x7F;
    for (int b = 0; b < 256; ++b) {
        const char c = char(b);
        QStringDecoder dec(name_.constData());
        const QString s = dec.decode(QByteArrayView(&c, 1));
        if (s.size() > 1)
            return false;
        // Bytes the code page leaves unassigned pass through as the same code point.
        const bool assigned = s.size() == 1 && s[0] != QChar::ReplacementCharacter;
        const char16_t u = assigned ? s[0].unicode() : char16_t(b);
        // Pages built on ASCII only: its printable part must be itself. Control
        // bytes stay themselves (some DOS pages give them pictures), and no
        // upper byte may stand for an ASCII character.
        if (b >= 0x20 && b < 0x7F && u != b)
            return false;
        toUnicode_[b] = b < 0x80 || u < 0x80 ? char16_t(b) : u;
        highest = qMax(highest, toUnicode_[b]);
    }
    toByte_ = QByteArray(highest - 0x7F, '\0');
    for (int b = 0x80; b < 256; ++b)
        if (toUnicode_[b] >= 0x80)
            toByte_[toUnicode_[b] - 0x80] = char(b);
    return true;
}

const CodePage &CodePage::windows1250()
{
    static const CodePage &page = *byName("windows-1250");
    return page;
}

const CodePage *CodePage::byName(const QByteArray &name)
{
    static std::map<QByteArray, std::unique_ptr<CodePage>> known;
    const QByteArray key = name.toLower();
    auto it = known.find(key);
    if (it == known.end()) {
        std::unique_ptr<CodePage> page(new CodePage(name));
        if (!page->build())
            page.reset();
        it = known.emplace(key, std::move(page)).first;
    }
    return it->second.get();
}

int CodePage::byteOf(char16_t u) const
{
    if (u < 0x80)
        return u;
    const qsizetype i = qsizetype(u) - 0x80;
    if (i >= toByte_.size() || toByte_[i] == '\0')
        return -1;
    return uchar(toByte_[i]);
}

QString CodePage::decode(const char *bytes, qsizetype size) const
{
    QString out(size, Qt::Uninitialized);
    QChar *p = out.data();
    for (qsizetype i = 0; i < size; ++i)
        *p++ = QChar(toUnicode_[uchar(bytes[i])]);
    return out;
}

bool CodePage::fits(const QString &text) const
{
    for (QChar ch : text)
        if (byteOf(ch.unicode()) < 0)
            return false;
    return true;
}

QByteArray CodePage::encodeLossy(const QString &text) const
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char *p = out.data();
    for (QChar ch : text) {
        const int b = byteOf(ch.unicode());
        *p++ = b < 0 ? '?' : char(b);
    }
    return out;
}

QByteArray CodePage::encode(const QString &text) const
{
    for (QChar ch : text)
        if (byteOf(ch.unicode()) < 0)
            throw Error(QStringLiteral("Znak \"") + ch + QStringLiteral("\" nelze zapsat v kódové stránce ") +
                        QString::fromLatin1(name_));
    return encodeLossy(text);
}
