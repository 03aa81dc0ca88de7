#pragma once
// The event list as data: the ten columns of a reading, the row an event
// record gives, the colour key that makes a row stand out, the range a
// reading covers, the surnames filled from the person list and the events
// file a save writes. Pure functions over a TextTable; the reading window
// shows the table in its grid.

#include "core/text_table.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tavob {

enum EventColumn {
    ColEvent = 0, ColCode, ColSurname, ColPosition, ColDay, ColMonth, ColYear, ColHour, ColMinute, ColSecond
};
constexpr int EventColumns = 10;
// At most this many events in one reading; the list holds them below its title row.
constexpr qint32 MaxReading = 100000;
// At most this many rows in one events file.
constexpr int MaxSave = 10000;

// Row 0 of the list and line 0 of the events file.
QStringList eventListTitles();
QList<int> eventListWidths();

inline QString errorText() { return QStringLiteral("CHYBA"); }
inline QString unknownCodeText() { return QStringLiteral("neznámý"); }

// The colour keys of rows an operator must see at a glance.
enum RowMark { NoMark = 0, UnauthorizedMark = 1, UnknownCodeMark = 2, ErrorMark = 3 };
// A code frame that failed ("CHYBA") first, then an unauthorized attempt
// ("nedef"), then a code the person list does not know ("neznámý").
int rowMark(const TextTable &list, int row);

// One record as a row: the event number, the code (or "CHYBA" when its frame
// was not accepted), an empty surname, the position or "nedef", the date and
// time rendered with the summer-time setting.
QStringList eventRow(qint32 event, const quint8 *record, bool codeAccepted, bool summerSetting);

// A code that names nobody: empty, all zeros, all F, or a failed frame.
bool isNoCode(const QString &code);

// "05.03.2007   14:07:09" from the row's date and time cells; a row that holds
// nothing gives the separators alone.
QString rowDateTimeText(const TextTable &list, int row);

// The range a reading covers. mode 0: the oldest n; 1: the newest n; 2: from..to.
struct ReadRange {
    qint32 first = 1;
    qint32 last = 0;
    qint32 count = 0;  // on the ring; 4,000,000 for an empty memory (last = first - 1)
};
ReadRange readRange(int mode, qint64 n, qint64 from, qint64 to, qint32 deviceFirst, qint32 deviceLast);

// The row of the list that holds event n, counting on across the end of the
// ring from the event in row 1.
qint32 rowOfEvent(qint64 n, qint64 eventInRow1);

// Surnames of rows 1..rows by their codes: found, the surname; not found,
// "neznámý"; a code that names nobody, empty. Rows are re-marked.
struct SurnameFill {
    int unknown = 0;
    int lastUnknownRow = 0;  // 0 when every code was known
};
SurnameFill fillSurnames(TextTable &list, int rows,
                         const std::function<std::optional<QString>(const QString &code)> &surnameOf);

// The events file of rows first..last: the title line, then one line a row,
// ';' dropped from the texts, CR LF after every line, Windows-1250.
QByteArray eventsFileBytes(const TextTable &list, int firstRow, int lastRow);

} // namespace tavob
