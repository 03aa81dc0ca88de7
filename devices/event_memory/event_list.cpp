#include "devices/event_memory/event_list.h"

#include "core/field_lines.h"
#include "devices/event_memory/event_format.h"

namespace tavob {

QStringList eventListTitles()
{
    return {QStringLiteral("Událost"), QStringLiteral("Kód"), QStringLiteral("Příjmení"), QStringLiteral("Pozice"),
            QStringLiteral("Den"),     QStringLiteral("Měsíc"), QStringLiteral("Rok"),    QStringLiteral("Hod"),
            QStringLiteral("Min"),     QStringLiteral("Sec")};
}

QList<int> eventListWidths() { return {59, 122, 61, 42, 28, 50, 46, 31, 31, 28}; }

int rowMark(const TextTable &list, int row)
{
    if (list.cell(ColCode, row) == errorText())
        return ErrorMark;
    if (list.cell(ColPosition, row) == unauthorizedText())
        return UnauthorizedMark;
    if (list.cell(ColSurname, row) == unknownCodeText())
        return UnknownCodeMark;
    return NoMark;
}

QStringList eventRow(qint32 event, const quint8 *record, bool codeAccepted, bool summerSetting)
{
    const EventRecord r = decodeRecord(record, summerSetting);
    return {QString::number(event), codeAccepted ? r.code : errorText(), QString(), positionText(r.position),
            r.time.day, r.time.month, QStringLiteral("20") + r.time.year, r.time.hour, r.time.minute,
            r.time.second};
}

bool isNoCode(const QString &code)
{
    return code.isEmpty() || code == QLatin1String("0000000000000000") || code == QLatin1String("FFFFFFFFFFFFFFFF")
        || code == errorText();
}

QString rowDateTimeText(const TextTable &list, int row)
{
    return dateTimeText(list.cell(ColDay, row), list.cell(ColMonth, row), list.cell(ColYear, row),
                        list.cell(ColHour, row), list.cell(ColMinute, row), list.cell(ColSecond, row));
}

ReadRange readRange(int mode, qint64 n, qint64 from, qint64 to, qint32 deviceFirst, qint32 deviceLast)
{
    qint64 first = from, last = to;
    if (mode == 0) {
        first = deviceFirst;
        last = n + deviceFirst - 1;
    } else if (mode == 1) {
        first = deviceLast - n + 1;
        last = deviceLast;
    }
    ReadRange r;
    r.first = ringEvent(first);
    r.last = ringEvent(last);
    r.count = ringCount(r.first, r.last);
    return r;
}

qint32 rowOfEvent(qint64 n, qint64 eventInRow1)
{
    qint64 row = n - eventInRow1 + 1;
    if (row <= 0)
        row += RingSize;
    return qint32(row);
}

SurnameFill fillSurnames(TextTable &list, int rows,
                         const std::function<std::optional<QString>(const QString &code)> &surnameOf)
{
    SurnameFill fill;
    for (int j = 1; j <= rows; ++j) {
        const QString code = list.cell(ColCode, j);
        QString surname;
        if (!isNoCode(code)) {
            const std::optional<QString> found = surnameOf(code);
            surname = found ? *found : unknownCodeText();
            if (!found) {
                ++fill.unknown;
                fill.lastUnknownRow = j;
            }
        }
        list.setCell(ColSurname, j, surname);
        list.setRowMark(j, rowMark(list, j));
    }
    return fill;
}

QByteArray eventsFileBytes(const TextTable &list, int firstRow, int lastRow)
{
    QByteArray out;
    out.reserve((lastRow - firstRow + 2) * 80);
    appendFieldLine(out, eventListTitles());
    QStringList cells;
    for (int row = firstRow; row <= lastRow; ++row) {
        cells.clear();
        for (int c = 0; c < EventColumns; ++c)
            cells << list.cell(c, row);
        appendFieldLine(out, cells);
    }
    return out;
}

} // namespace tavob
