#pragma once
// Single-byte code pages: Windows-1250 for the program's own files, and
// whatever a dBase table declares (cp852 for the older Czech DOS tables, …).
// Each page is one table each way, built once from Qt's converter.

#include <QByteArray>
#include <QString>

class CodePage {
public:
    static const CodePage &windows1250();
    // The page Qt knows by this name ("windows-1250", "IBM852", …); nullptr
    // when Qt does not know it or it is not a single-byte page.
    static const CodePage *byName(const QByteArray &name);

    const QByteArray &name() const { return name_; }
    QString decode(const char *bytes, qsizetype size) const;
    QString decode(const QByteArray &bytes) const { return decode(bytes.constData(), bytes.size()); }
    // True when every character of text has a byte in this page.
    bool fits(const QString &text) const;
    // The bytes of text; a character without a byte raises Error, it is never replaced.
    QByteArray encode(const QString &text) const;
    // The same, with '?' for a character without a byte: only for text already checked by fits().
    QByteArray encodeLossy(const QString &text) const;

    CodePage(const CodePage &) = delete;
    CodePage &operator=(const CodePage &) = delete;

private:
    explicit CodePage(const QByteArray &name);
    bool build();
    int byteOf(char16_t u) const;  // -1 when none

    QByteArray name_;
    char16_t toUnicode_[256] = {};
    // Bytes of the characters from U+0080 up, by code point - 0x80; 0 = none.
    QByteArray toByte_;
};
