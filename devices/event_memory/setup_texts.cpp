#include "devices/event_memory/setup_texts.h"

#include "core/cp1250.h"
#include "core/error.h"

#include <algorithm>
#include <iterator>

namespace tavob {

namespace {
// Upper case character by character, so the length stays.
QString upper(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        c = c.toUpper();
    return out;
}

// A character's Windows-1250 code (the editors take no other characters).
int code(QChar c) { return quint8(toCp1250(QString(c)).at(0)); }

int value(QChar c) { return code(c) <= '9' ? code(c) - 48 : code(c) - 55; }

quint8 pair(QChar first, QChar second) { return quint8(value(first) * 16 + value(second)); }

QString conversionErrorText(const QString &text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

// A field of a date and time as a whole number. Spaces in front are no
// fault: the PC's time before 10 o'clock gives the hour " 9".
int fieldNumber(const QString &field)
{
    int i = 0;
    while (i < field.size() && field[i] == QLatin1Char(' '))
        ++i;
    return strToInt(field.mid(i));
}
} // namespace

QString pcTimeText(const QDateTime &t)
{
    return t.date().toString(u"d.M.yyyy") + QLatin1String("   ") + t.time().toString(u"H:mm:ss");
}

DateTimeTexts splitDateTime(const QString &text)
{
    QString w = text;
    QString *fields[5];
    DateTimeTexts t;
    fields[0] = &t.day, fields[1] = &t.month, fields[2] = &t.year, fields[3] = &t.hour, fields[4] = &t.minute;
    const char separators[5] = {'.', '.', ' ', ':', ':'};
    for (int i = 0; i < 5; ++i) {
        const int p = int(w.indexOf(QLatin1Char(separators[i]))) + 1;  // 1-based, 0 when absent
        *fields[i] = w.mid(qMax(0, p - 3), p > 2 ? 2 : p > 1 ? 1 : 0);
        w = w.mid(p);
    }
    t.second = w.right(2);
    return t;
}

quint8 pairByte(const QString &text)
{
    const QString s = text.size() == 2 ? upper(text) : text.size() == 1 ? QLatin1Char('0') + upper(text)
                                                                        : QStringLiteral("00");
    return pair(s[0], s[1]);
}

ClockBytes clockWriteBytes(const QString &text, bool summerSetting)
{
    DateTimeTexts f = splitDateTime(text);
    if (summerSetting) {
        const DateHour local{fieldNumber(f.day), fieldNumber(f.month), fieldNumber(f.year), fieldNumber(f.hour)};
        fieldNumber(f.minute);
        fieldNumber(f.second);
        const DateHour standard = toStandardTime(local);
        if (standard.day != local.day || standard.month != local.month || standard.year != local.year) {
            f.day = QString::number(standard.day);
            f.month = QString::number(standard.month);
            f.year = QString::number(standard.year);
        }
        f.hour = QString::number(standard.hour);
    }
    return {pairByte(f.year), pairByte(f.month), pairByte(f.day), pairByte(f.hour), pairByte(f.minute), pairByte(f.second)};
}

std::optional<qint64> clockDrift(const DateTimeTexts &device, const QDateTime &pc)
{
    bool ok[6];
    const QDate date(2000 + device.year.toInt(&ok[0]), device.month.toInt(&ok[1]), device.day.toInt(&ok[2]));
    const QTime time(device.hour.toInt(&ok[3]), device.minute.toInt(&ok[4]), device.second.toInt(&ok[5]));
    if (std::find(std::begin(ok), std::end(ok), false) != std::end(ok) || !date.isValid() || !time.isValid())
        return std::nullopt;
    // Both as plain wall times in whole seconds, as the device counts: no time
    // zone of the PC comes between them.
    const QTime pcTime(pc.time().hour(), pc.time().minute(), pc.time().second());
    return QDateTime(pc.date(), pcTime, Qt::UTC).secsTo(QDateTime(date, time, Qt::UTC));
}

QString driftText(std::optional<qint64> seconds)
{
    if (!seconds)
        return QString();
    return QStringLiteral("Odchylka od PC: ") + (*seconds > 0 ? QStringLiteral("+") : QString())
         + QString::number(*seconds) + QStringLiteral(" s");
}

std::array<quint8, 8> identificationBytes(const QString &text)
{
    const QString s = upper(text).leftJustified(16, QLatin1Char('0'), true);
    std::array<quint8, 8> bytes{};
    for (int i = 0; i < 8; ++i)
        bytes[size_t(i)] = pair(s[2 * i], s[2 * i + 1]);
    return bytes;
}

qint32 eventNumberToWrite(const QString &text)
{
    const int n = strToInt(text);
    if (n < 0)
        throw Error(conversionErrorText(text));
    return n;
}

QString generatedIdentification(int r) { return QString::number(qint64(r) * 987654321 / 32768); }

} // namespace tavob
