#pragma once
// What the operator types into the clock and set-up windows, turned into the
// bytes a TAVO-B takes, and what those windows show: pure functions on Qt Core.

#include "devices/event_memory/event_format.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <optional>

namespace tavob {

// --- The clock ---

// The clock's date and time as bytes: year, month, day, hour, minute, second,
// packed BCD for decimal digits, standard time.
using ClockBytes = std::array<quint8, 6>;

// The PC's date and time as the clock window shows and writes it, in the Czech
// short date and long time formats whatever the system's locale:
// "9.12.2007   14:05:30".
QString pcTimeText(const QDateTime &t);

// The six fields of a date and time text: for the separators ".", ".", " ",
// ":", ":" in turn, the (at most) two characters just before the first
// occurrence, the rest of the text going on after it (the whole text when the
// separator is missing); the second is the last two characters left.
// "1.2.2008 8:05:00" gives 1, 2, 08, 8, 05, 00.
DateTimeTexts splitDateTime(const QString &text);

// The pair rule: a text of 2 characters as it is, 1 character with "0" in
// front, any other length as "00"; upper-cased, each character worth its
// Windows-1250 code - 48 up to the digit 9, its code - 55 above (modulo 256);
// first x 16 + second. Decimal digits give packed BCD ("07" is 0x07), hex
// digits their value, a leading space counts as 0 (" 9" is 0x09).
quint8 pairByte(const QString &text);

// The bytes a write of the text puts into the clock. With the summer-time
// setting on, the six fields must be whole numbers, spaces in front allowed
// (otherwise the conversion error, and nothing is to be sent) and a summer time goes back to standard
// time: the hour one down, and from 00:xx to 23:xx of the previous day. With
// it off no field is judged: the fields go through the pair rule as they are.
ClockBytes clockWriteBytes(const QString &text, bool summerSetting);

// Whole seconds the device's clock, as shown, is ahead of the PC's time
// (negative: behind); nothing when the shown texts are no valid date and time.
std::optional<qint64> clockDrift(const DateTimeTexts &device, const QDateTime &pc);
// "Odchylka od PC: +3 s", "... 0 s", "... -75 s"; empty for no drift.
QString driftText(std::optional<qint64> seconds);

// --- The event memory set-up ---

// The identification text as 8 bytes: upper-cased, filled with "0" at its end
// to 16 characters, cut to 16; each pair of characters by the pair rule.
// "12345" gives 12 34 50 00 00 00 00 00. (The bytes read back are shown as
// a key code is: codeText.)
std::array<quint8, 8> identificationBytes(const QString &text);

// An event number to write: a whole number, 0 or more (4,000,000 and above are
// written as they are). A negative number or other text raises the conversion
// error.
qint32 eventNumberToWrite(const QString &text);

// The generated identification number for a draw r of 0 .. 32767:
// r / 32768 x 987,654,321, truncated (at most 987,624,180).
QString generatedIdentification(int r);

} // namespace tavob
