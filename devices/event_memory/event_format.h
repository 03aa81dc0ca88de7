#pragma once
// The TAVO-B event memory as values: event numbers on the ring, card addresses
// and the pointers that hold them, the 16-byte event record, and the device's
// BCD date and time with the summer-time rule. Pure functions, no state.
//
// A TAVO-B keeps up to 4,000,000 events in a ring on its memory card: event n
// is the 16-byte record at card address (n + 31) x 16, so the card's first 512
// bytes (its header) hold no event. The card is read in blocks of 512 bytes =
// 32 records; after the block at 64,000,000 (events 3,999,969 .. 4,000,000)
// comes the one at 512 (events 1 .. 32). The device's own clock keeps standard
// (winter) time; the program shows local time when the summer-time setting is on.

#include "core/key_code.h"

#include <QString>
#include <QtGlobal>
#include <array>

namespace tavob {

constexpr qint32 RingSize = 4000000;
constexpr int RecordSize = 16;
constexpr int BlockSize = 512;
constexpr int RecordsPerBlock = BlockSize / RecordSize;
constexpr quint32 FirstBlockAddress = 512;
constexpr quint32 LastRecordAddress = 64000496;
// Where the 32 record slots of the newest block start in the device event
// buffer (selector 164), after its copy of the header.
constexpr quint32 EventBufferSlots = 16;

// --- Event numbers and the ring ---

// Any event number brought onto the ring 1 .. 4,000,000 (0 is 4,000,000,
// 4,000,001 is 1).
qint32 ringEvent(qint64 n);
// The event after n on the ring: 4,000,000 is followed by 1.
qint32 nextEvent(qint32 n);
// How many events run from first to last on the ring, both included: a range
// that passes the end of the ring counts on from 1; last = first - 1 is the
// whole ring (4,000,000), which is how an empty memory (first 1, last 0) looks.
qint32 ringCount(qint32 first, qint32 last);

// --- Pointers: a record's card address as 4 big-endian bytes ---

// The card address of event n, (n + 31) x 16, in 32-bit arithmetic as the
// device holds it (modulo 2^32 for numbers far off the ring).
quint32 recordAddress(qint64 n);
// Event n as the 4 bytes of its pointer, most significant first.
std::array<quint8, 4> pointerBytes(qint64 n);
// The event number a pointer designates: address / 16 - 31 (the low 4 bits are
// ignored). A card that was never set up gives numbers off the ring; they are
// returned as they are, for the caller to judge.
qint32 eventOfPointer(quint8 p0, quint8 p1, quint8 p2, quint8 p3);
qint32 eventOfAddress(quint32 address);

// --- Blocks ---

// The card address of the block that holds event n (n taken onto the ring).
quint32 blockAddress(qint64 n);
// The first event of the block that holds event n (n taken onto the ring).
qint32 firstEventOfBlock(qint64 n);
// The first event of the block at a block address.
qint32 firstEventAt(quint32 blockAddress);
// The block read after the one at blockAddress: the next 512 bytes, and after
// the ring's last block the one at 512.
quint32 nextBlockAddress(quint32 blockAddress);

// The newest block, which may not have reached the card yet, is read from the
// device event buffer. `last` is the device's last event number.
// For the date of one event: n lies in the block being filled.
bool eventInNewestBlock(qint32 n, qint32 last);
// For the block transfer: the block starting with firstOfBlock is the newest.
bool blockInEventBuffer(qint32 firstOfBlock, qint32 last);
// The device event buffer address of event n's record slot.
quint32 eventBufferSlot(qint64 n);

// --- Date and time ---

// A record's date and time bytes (bytes 10..15; the clock's 2..7) in that order.
enum class TimeField { Year, Month, Day, Hour, Minute, Second };
// The bits that carry a field's tens: year, minute, second bits 4-6; day and
// hour bits 4-5; month bit 4.
quint8 tensBits(TimeField field);
// A BCD byte as text: the tens value (its named bits only), then the units
// value (bits 0-3), each as a decimal number. A valid BCD byte gives two digits.
QString bcdText(quint8 byte, TimeField field);

// A date and hour as whole numbers; year is the two-digit year of 2000 + year.
struct DateHour {
    int day = 1;
    int month = 1;
    int year = 0;
    int hour = 0;
    bool operator==(const DateHour &o) const
    {
        return day == o.day && month == o.month && year == o.year && hour == o.hour;
    }
};

// The day of the last Sunday of a month (1..12) of a full year (2007, 3 -> 25).
int lastSunday(int year, int month);
// Summer time, judged on the device's standard-time hour: from the last Sunday
// of March at 02:00 to the last Sunday of October before 02:00, in any year.
bool summerTime(const DateHour &t);
// Reading direction: the device's standard time as local time. In summer the
// hour goes one up; 23:xx becomes 0:xx of the next day (day, month, year
// carried), so no time ever reads 24:xx.
DateHour toLocalTime(const DateHour &standard);
// Writing direction: a local time back to the device's standard time. In
// summer the hour goes one down; 0:xx becomes 23:xx of the previous day.
DateHour toStandardTime(const DateHour &local);

// A date and time as shown: each field rendered from its byte; year is the two
// digits shown after "20".
struct DateTimeTexts {
    QString day, month, year, hour, minute, second;
    bool operator==(const DateTimeTexts &o) const
    {
        return day == o.day && month == o.month && year == o.year && hour == o.hour && minute == o.minute
            && second == o.second;
    }
};

// The date and time of a record's second half or of the clock: 8 bytes, R0..R7
// of the reply that carries them (year at 2, month 3, day 4, hour 5, minute 6,
// second 7). With the summer-time setting on, the time is shown as local time
// and the hour as a plain number (9, 14); with it off the hour keeps its two
// digits and nothing is converted.
DateTimeTexts renderDateTime(const quint8 *half, bool summerSetting);
// "05.03.2007   14:07:09": day.month.20year, three spaces, hour:minute:second.
QString dateTimeText(const DateTimeTexts &t);
// The same of texts as they stand, the year in full (an event list's row).
QString dateTimeText(const QString &day, const QString &month, const QString &fullYear, const QString &hour,
                     const QString &minute, const QString &second);

// --- The event record ---

// What the event list shows for position 0: the code is unknown to the device.
inline QString unauthorizedText() { return QStringLiteral("nedef"); }

// One 16-byte record: key code (bytes 0..7), position (12 bits from bytes 8
// and 9), date and time (bytes 10..15).
struct EventRecord {
    QString code;      // 16 upper-case hex digits, the first byte first
    int position = 0;  // 0 .. 4095; 0 = the code is unknown to the device
    DateTimeTexts time;
    // A code the device knows; position 0 is an unauthorized attempt.
    bool authorized() const { return position != 0; }
};

// The code's position from record bytes 8 and 9: byte 8 x 16 + (byte 9 div 16).
int recordPosition(quint8 byte8, quint8 byte9);
// The position as the event list shows it: decimal, or "nedef" for 0.
QString positionText(int position);
EventRecord decodeRecord(const quint8 *record, bool summerSetting);

} // namespace tavob
