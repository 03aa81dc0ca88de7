#include "devices/event_memory/event_format.h"

#include <QByteArray>
#include <QDate>

namespace tavob {

namespace {
qint64 floorMod(qint64 a, qint64 m) { return (a % m + m) % m; }

// The Gregorian calendar repeats every 400 years, so any year can be judged by
// its twin in 2000 .. 2399, where QDate is always valid.
int calendarTwin(qint64 year) { return 2000 + int(floorMod(year - 2000, 400)); }

int lastSundayIn(qint64 year, int month)
{
    const QDate last = QDate(calendarTwin(year), month, 1).addMonths(1).addDays(-1);
    return last.day() - last.dayOfWeek() % 7;
}

int daysInMonth(int twoDigitYear, int month)
{
    if (month < 1 || month > 12)
        return 31;
    return QDate(calendarTwin(2000 + qint64(twoDigitYear)), month, 1).daysInMonth();
}

void nextDay(DateHour &t)
{
    if (++t.day <= daysInMonth(t.year, t.month))
        return;
    t.day = 1;
    if (++t.month <= 12)
        return;
    t.month = 1;
    ++t.year;
}

void previousDay(DateHour &t)
{
    if (--t.day >= 1)
        return;
    if (--t.month < 1) {
        t.month = 12;
        --t.year;
    }
    t.day = daysInMonth(t.year, t.month);
}

QString twoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }
} // namespace

qint32 ringEvent(qint64 n) { return qint32(floorMod(n - 1, RingSize) + 1); }

qint32 nextEvent(qint32 n) { return ringEvent(qint64(n) + 1); }

qint32 ringCount(qint32 first, qint32 last)
{
    return qint32(floorMod(qint64(ringEvent(last)) - ringEvent(first), RingSize) + 1);
}

quint32 recordAddress(qint64 n) { return quint32(quint64(n + 31) * RecordSize); }

std::array<quint8, 4> pointerBytes(qint64 n)
{
    const quint32 a = recordAddress(n);
    return {quint8(a >> 24), quint8(a >> 16), quint8(a >> 8), quint8(a)};
}

qint32 eventOfPointer(quint8 p0, quint8 p1, quint8 p2, quint8 p3)
{
    return eventOfAddress(quint32(p0) << 24 | quint32(p1) << 16 | quint32(p2) << 8 | p3);
}

qint32 eventOfAddress(quint32 address) { return qint32(address / RecordSize) - 31; }

quint32 blockAddress(qint64 n) { return recordAddress(ringEvent(n)) / BlockSize * BlockSize; }

qint32 firstEventOfBlock(qint64 n) { return (ringEvent(n) - 1) / RecordsPerBlock * RecordsPerBlock + 1; }

qint32 firstEventAt(quint32 blockAddress) { return eventOfAddress(blockAddress); }

quint32 nextBlockAddress(quint32 blockAddress)
{
    const qint64 next = qint64(blockAddress) + BlockSize;
    return next > LastRecordAddress ? FirstBlockAddress : quint32(next);
}

bool eventInNewestBlock(qint32 n, qint32 last)
{
    const qint64 blockStart = qint64(last) / RecordsPerBlock * RecordsPerBlock;
    return blockStart < n && n <= last && qint64(last) - RecordsPerBlock < n;
}

bool blockInEventBuffer(qint32 firstOfBlock, qint32 last)
{
    return qint64(last) - RecordsPerBlock < firstOfBlock && firstOfBlock <= last;
}

quint32 eventBufferSlot(qint64 n)
{
    return EventBufferSlots + quint32(RecordSize * ((ringEvent(n) - 1) % RecordsPerBlock));
}

quint8 tensBits(TimeField field)
{
    switch (field) {
    case TimeField::Month:
        return 0x10;
    case TimeField::Day:
    case TimeField::Hour:
        return 0x30;
    case TimeField::Year:
    case TimeField::Minute:
    case TimeField::Second:
        break;
    }
    return 0x70;
}

QString bcdText(quint8 byte, TimeField field)
{
    return QString::number((byte & tensBits(field)) >> 4) + QString::number(byte & 0x0F);
}

int lastSunday(int year, int month) { return lastSundayIn(year, month); }

bool summerTime(const DateHour &t)
{
    if (t.month > 3 && t.month < 10)
        return true;
    if (t.month == 3) {
        const int s = lastSundayIn(2000 + qint64(t.year), 3);
        return t.day > s || (t.day == s && t.hour > 1);
    }
    if (t.month == 10) {
        const int w = lastSundayIn(2000 + qint64(t.year), 10);
        return t.day < w || (t.day == w && t.hour < 2);
    }
    return false;
}

DateHour toLocalTime(const DateHour &standard)
{
    DateHour t = standard;
    if (!summerTime(standard))
        return t;
    if (++t.hour == 24) {
        t.hour = 0;
        nextDay(t);
    }
    return t;
}

DateHour toStandardTime(const DateHour &local)
{
    DateHour t = local;
    if (!summerTime(local))
        return t;
    if (--t.hour == -1) {
        t.hour = 23;
        previousDay(t);
    }
    return t;
}

DateTimeTexts renderDateTime(const quint8 *half, bool summerSetting)
{
    DateTimeTexts t{bcdText(half[4], TimeField::Day),    bcdText(half[3], TimeField::Month),
                    bcdText(half[2], TimeField::Year),   bcdText(half[5], TimeField::Hour),
                    bcdText(half[6], TimeField::Minute), bcdText(half[7], TimeField::Second)};
    if (!summerSetting)
        return t;
    const DateHour device{t.day.toInt(), t.month.toInt(), t.year.toInt(), t.hour.toInt()};
    const DateHour local = toLocalTime(device);
    if (local.day != device.day || local.month != device.month || local.year != device.year) {
        t.day = twoDigits(local.day);
        t.month = twoDigits(local.month);
        t.year = twoDigits(local.year);
    }
    t.hour = QString::number(local.hour);
    return t;
}

QString dateTimeText(const QString &day, const QString &month, const QString &fullYear, const QString &hour,
                     const QString &minute, const QString &second)
{
    return day + QLatin1Char('.') + month + QLatin1Char('.') + fullYear + QLatin1String("   ") + hour + QLatin1Char(':')
        + minute + QLatin1Char(':') + second;
}

QString dateTimeText(const DateTimeTexts &t)
{
    return dateTimeText(t.day, t.month, QLatin1String("20") + t.year, t.hour, t.minute, t.second);
}

int recordPosition(quint8 byte8, quint8 byte9) { return byte8 * 16 + byte9 / 16; }

QString positionText(int position) { return position == 0 ? unauthorizedText() : QString::number(position); }

EventRecord decodeRecord(const quint8 *record, bool summerSetting)
{
    return {codeText(record), recordPosition(record[8], record[9]), renderDateTime(record + 8, summerSetting)};
}

} // namespace tavob
