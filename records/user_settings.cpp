#include "records/user_settings.h"
#include "ui/cp1250.h"

#include <QFile>
#include <QSaveFile>

namespace {
constexpr int PasswordLength = 8;

QString upperAsciiLetters(QString text)
{
    for (QChar &ch : text)
        if (ch >= u'a' && ch <= u'z')
            ch = QChar(ch.unicode() - u'a' + u'A');
    return text;
}

// Splits the bytes into Headings; a line ends at CR LF, CR or LF alone.
void parseSettings(Headings &h, const QByteArray &bytes)
{
    int k = 0, c = 0;
    QByteArray text;
    auto store = [&] {
        if (c < Headings::Cols)
            h.at(c, k) = fromCp1250(text);
        text.clear();
    };
    for (qsizetype i = 0; i < bytes.size() && k < Headings::Rows; ++i) {
        const char b = bytes[i];
        if (b == ';') {
            store();
            ++c;
        } else if (b == '\r' || b == '\n') {
            store();
            c = 0;
            ++k;
            if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            text.append(b);
        }
    }
    if (k < Headings::Rows && !text.isEmpty())
        store();  // a last line without its line end
}

QByteArray settingsBytes(const Headings &h)
{
    QByteArray out;
    for (int k = 0; k < Headings::Rows; ++k) {
        for (int c = 0; c < Headings::Cols; ++c) {
            if (c > 0)
                out.append(';');
            out.append(toCp1250(QString(h.at(c, k)).remove(u';')));
        }
        out.append("\r\n");
    }
    return out;
}
} // namespace

quint8 oneWireCrc8(const QByteArray &bytes)
{
    quint8 crc = 0;
    for (char ch : bytes) {
        quint8 b = quint8(ch);
        for (int bit = 0; bit < 8; ++bit, b >>= 1)
            crc = ((crc ^ b) & 1) ? quint8((crc >> 1) ^ 0x8C) : quint8(crc >> 1);
    }
    return crc;
}

QString passwordValue(const QString &password)
{
    QString text = upperAsciiLetters(password.left(PasswordLength));
    text = text.leftJustified(PasswordLength, u'X');
    return QString::number(oneWireCrc8(toCp1250(text)));
}

void LoadUserSettings(Headings &h, const QString &fileName)
{
    h = Headings();
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly))
        parseSettings(h, file.readAll());
}

bool SaveUserSettings(const Headings &h, const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = settingsBytes(h);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
