#include "records/user_settings.h"
#include "core/field_lines.h"
#include "core/cp1250.h"

#include <QFile>

namespace {
constexpr int PasswordLength = 8;

QString upperAsciiLetters(QString text)
{
    for (QChar &ch : text)
        if (ch >= u'a' && ch <= u'z')
            ch = QChar(ch.unicode() - u'a' + u'A');
    return text;
}

QByteArray settingsBytes(const Headings &h)
{
    QByteArray out;
    for (int k = 0; k < Headings::Rows; ++k) {
        QStringList row;
        for (int c = 0; c < Headings::Cols; ++c)
            row << h.at(c, k);
        appendFieldLine(out, row);
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
    if (!file.open(QIODevice::ReadOnly))
        return;
    // Fields after the 10th of a line and lines after the 5th have no place.
    readFieldLines(file.readAll(), Headings::Rows, [&h](int k, int c, const QString &text) {
        if (c < Headings::Cols)
            h.at(c, k) = text;
    });
}

bool SaveUserSettings(const Headings &h, const QString &fileName)
{
    return writeWholeFile(fileName, settingsBytes(h));
}
