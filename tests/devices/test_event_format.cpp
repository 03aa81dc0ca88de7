// The TAVO-B event memory format: event numbers on the ring, pointers, blocks,
// the newest block, the BCD date and time, the summer-time rule in both
// directions and the decoding of one event record.
#include "devices/event_memory/event_format.h"

#include <QTimeZone>
#include <QtTest>

using namespace tavob;

Q_DECLARE_METATYPE(tavob::DateHour)
Q_DECLARE_METATYPE(tavob::TimeField)

namespace {
QByteArray hex(const char *text) { return QByteArray::fromHex(text); }
const quint8 *bytes(const QByteArray &b) { return reinterpret_cast<const quint8 *>(b.constData()); }

// The last Sundays of March and October of 2000 .. 2040, from a printed calendar.
constexpr int SwitchDays[41][2] = {
    {26, 29}, {25, 28}, {31, 27}, {30, 26}, {28, 31}, {27, 30}, {26, 29}, {25, 28}, {30, 26}, {29, 25}, {28, 31},
    {27, 30}, {25, 28}, {31, 27}, {30, 26}, {29, 25}, {27, 30}, {26, 29}, {25, 28}, {31, 27}, {29, 25}, {28, 31},
    {27, 30}, {26, 29}, {31, 27}, {30, 26}, {29, 25}, {28, 31}, {26, 29}, {25, 28}, {31, 27}, {30, 26}, {28, 31},
    {27, 30}, {26, 29}, {25, 28}, {30, 26}, {29, 25}, {28, 31}, {27, 30}, {25, 28},
};

DateHour dateHour(const QDateTime &t)
{
    return {t.date().day(), t.date().month(), t.date().year() - 2000, t.time().hour()};
}

QString shown(const DateHour &t)
{
    return QStringLiteral("%1.%2.%3 %4").arg(t.day).arg(t.month).arg(t.year).arg(t.hour);
}
} // namespace

class TestEventFormat : public QObject {
    Q_OBJECT
private slots:
    void pointers_data()
    {
        QTest::addColumn<QByteArray>("pointer");
        QTest::addColumn<int>("event");
        QTest::addColumn<bool>("roundTrip");
        QTest::newRow("event 1 at 512") << hex("00000200") << 1 << true;
        QTest::newRow("empty memory's last, 0") << hex("000001F0") << 0 << true;
        QTest::newRow("event 91") << hex("000007A0") << 91 << true;
        QTest::newRow("event 100") << hex("00000830") << 100 << true;
        QTest::newRow("last block's first") << hex("03D09000") << 3999969 << true;
        QTest::newRow("event 4,000,000") << hex("03D091F0") << 4000000 << true;
        QTest::newRow("every byte weighs") << hex("01020340") << (0x01020340 / 16 - 31) << true;
        QTest::newRow("negative, -1") << hex("000001E0") << -1 << true;
        QTest::newRow("low 4 bits ignored") << hex("0000020F") << 1 << false;
        QTest::newRow("zeroed card") << hex("00000000") << -31 << false;
        QTest::newRow("blank card, no sign") << hex("FFFFFFFF") << 268435424 << false;
    }
    void pointers()
    {
        QFETCH(QByteArray, pointer);
        QFETCH(int, event);
        QFETCH(bool, roundTrip);
        const quint8 *p = bytes(pointer);
        QCOMPARE(eventOfPointer(p[0], p[1], p[2], p[3]), event);
        QCOMPARE(eventOfAddress(quint32(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]), event);
        if (roundTrip) {
            const std::array<quint8, 4> b = pointerBytes(event);
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(b.data()), 4).toHex(), pointer.toHex());
            QCOMPARE(recordAddress(event), quint32(pointer.toHex().toUInt(nullptr, 16)));
        }
    }

    void ring_data()
    {
        QTest::addColumn<qint64>("n");
        QTest::addColumn<int>("onRing");
        QTest::newRow("first") << qint64(1) << 1;
        QTest::newRow("last") << qint64(4000000) << 4000000;
        QTest::newRow("0 is the last") << qint64(0) << 4000000;
        QTest::newRow("-1") << qint64(-1) << 3999999;
        QTest::newRow("past the end") << qint64(4000001) << 1;
        QTest::newRow("a whole ring below") << qint64(-4000000) << 4000000;
        QTest::newRow("two rings on") << qint64(8000001) << 1;
        QTest::newRow("far off") << qint64(2147483647) << 2147483647 % 4000000;
    }
    void ring()
    {
        QFETCH(qint64, n);
        QFETCH(int, onRing);
        QCOMPARE(ringEvent(n), onRing);
    }

    void ringCount_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("count");
        QTest::newRow("one") << 5 << 5 << 1;
        QTest::newRow("40 to 90") << 40 << 90 << 51;
        QTest::newRow("across the end") << 3999990 << 10 << 21;
        QTest::newRow("oldest 5 wrapped") << 3999998 << 2 << 5;
        QTest::newRow("empty memory") << 1 << 0 << 4000000;
        QTest::newRow("whole ring, not wrapped") << 1 << 4000000 << 4000000;
        QTest::newRow("whole ring, wrapped") << 2 << 1 << 4000000;
        QTest::newRow("100,000 across the end") << 3950001 << 50000 << 100000;
    }
    void ringCount()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, count);
        QCOMPARE(tavob::ringCount(first, last), count);
    }

    void nextEventWraps()
    {
        QCOMPARE(nextEvent(1), 2);
        QCOMPARE(nextEvent(3999999), 4000000);
        QCOMPARE(nextEvent(4000000), 1);
    }

    void blocks_data()
    {
        QTest::addColumn<qint64>("event");
        QTest::addColumn<quint32>("address");
        QTest::addColumn<int>("first");
        QTest::newRow("event 1") << qint64(1) << 512u << 1;
        QTest::newRow("end of the first block") << qint64(32) << 512u << 1;
        QTest::newRow("start of the second") << qint64(33) << 1024u << 33;
        QTest::newRow("event 40") << qint64(40) << 1024u << 33;
        QTest::newRow("event 64") << qint64(64) << 1024u << 33;
        QTest::newRow("event 65") << qint64(65) << 1536u << 65;
        QTest::newRow("last but one block") << qint64(3999968) << 63999488u << 3999937;
        QTest::newRow("last block's first") << qint64(3999969) << 64000000u << 3999969;
        QTest::newRow("event 4,000,000") << qint64(4000000) << 64000000u << 3999969;
        QTest::newRow("0 is 4,000,000") << qint64(0) << 64000000u << 3999969;
        QTest::newRow("4,000,001 is 1") << qint64(4000001) << 512u << 1;
    }
    void blocks()
    {
        QFETCH(qint64, event);
        QFETCH(quint32, address);
        QFETCH(int, first);
        QCOMPARE(blockAddress(event), address);
        QCOMPARE(firstEventOfBlock(event), first);
        QCOMPARE(firstEventAt(address), first);
        QCOMPARE(address % BlockSize, 0u);
    }

    void nextBlock_data()
    {
        QTest::addColumn<quint32>("address");
        QTest::addColumn<quint32>("next");
        QTest::newRow("first block") << 512u << 1024u;
        QTest::newRow("to the last block") << 63999488u << 64000000u;
        QTest::newRow("last block wraps to 512") << 64000000u << 512u;
    }
    void nextBlock()
    {
        QFETCH(quint32, address);
        QFETCH(quint32, next);
        QCOMPARE(nextBlockAddress(address), next);
    }

    // Reading block after block from 512 visits every event once and comes back to 512.
    void blockWalkCoversTheRingOnce()
    {
        quint32 a = FirstBlockAddress;
        qint32 expected = 1;
        qint64 blocks = 0;
        do {
            QCOMPARE(firstEventAt(a), expected);
            expected = ringEvent(qint64(expected) + RecordsPerBlock);
            a = nextBlockAddress(a);
            ++blocks;
        } while (a != FirstBlockAddress && blocks <= RingSize);
        QCOMPARE(blocks, qint64(RingSize / RecordsPerBlock));
    }

    void newestBlock_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("dateFromBuffer");
        QTest::addColumn<bool>("blockFromBuffer");
        QTest::addColumn<quint32>("slot");
        QTest::newRow("last 64: event 64's date from the card") << 64 << 64 << false << true << 512u;
        QTest::newRow("last 64: event 33's date from the card") << 33 << 64 << false << true << 16u;
        QTest::newRow("last 40: event 40 from the buffer") << 40 << 40 << true << true << 128u;
        QTest::newRow("last 40: event 33 from the buffer") << 33 << 40 << true << true << 16u;
        QTest::newRow("last 40: event 32 from the card") << 32 << 40 << false << false << 512u;
        QTest::newRow("last 32: block of 1 from the buffer") << 1 << 32 << false << true << 16u;
        QTest::newRow("last 33: block of 1 from the card") << 1 << 33 << false << false << 16u;
        QTest::newRow("empty memory") << 1 << 0 << false << false << 16u;
        QTest::newRow("last 3,999,990") << 3999990 << 3999990 << true << true << 352u;
        QTest::newRow("last 4,000,000: date from the card") << 4000000 << 4000000 << false << true << 512u;
        QTest::newRow("after the wrap: old last block on the card") << 4000000 << 1 << false << false << 512u;
        QTest::newRow("after the wrap: event 1 from the buffer") << 1 << 1 << true << true << 16u;
    }
    void newestBlock()
    {
        QFETCH(int, event);
        QFETCH(int, last);
        QFETCH(bool, dateFromBuffer);
        QFETCH(bool, blockFromBuffer);
        QFETCH(quint32, slot);
        QCOMPARE(eventInNewestBlock(event, last), dateFromBuffer);
        QCOMPARE(blockInEventBuffer(firstEventOfBlock(event), last), blockFromBuffer);
        QCOMPARE(eventBufferSlot(event), slot);
        // The slot is the record's place within its card block, after the buffer's 16-byte header.
        QCOMPARE(eventBufferSlot(event), recordAddress(event) % BlockSize + EventBufferSlots);
    }

    void bcd_data()
    {
        QTest::addColumn<quint8>("byte");
        QTest::addColumn<TimeField>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("minute 0x59") << quint8(0x59) << TimeField::Minute << "59";
        QTest::newRow("minute, bit 7 dropped") << quint8(0x85) << TimeField::Minute << "05";
        QTest::newRow("second 0x00") << quint8(0x00) << TimeField::Second << "00";
        QTest::newRow("second, bit 6 counts") << quint8(0x45) << TimeField::Second << "45";
        QTest::newRow("year 0x79") << quint8(0x79) << TimeField::Year << "79";
        QTest::newRow("year, bit 7 dropped") << quint8(0x99) << TimeField::Year << "19";
        QTest::newRow("month 0x12") << quint8(0x12) << TimeField::Month << "12";
        QTest::newRow("month, bit 5 dropped") << quint8(0x32) << TimeField::Month << "12";
        QTest::newRow("month 0x07") << quint8(0x07) << TimeField::Month << "07";
        QTest::newRow("day 0x31") << quint8(0x31) << TimeField::Day << "31";
        QTest::newRow("day, bit 6 dropped") << quint8(0x71) << TimeField::Day << "31";
        QTest::newRow("hour 0x23") << quint8(0x23) << TimeField::Hour << "23";
        QTest::newRow("hour, bit 6 dropped") << quint8(0x63) << TimeField::Hour << "23";
        QTest::newRow("units above 9 as a number") << quint8(0x1C) << TimeField::Month << "112";
        QTest::newRow("all bits set, second") << quint8(0xFF) << TimeField::Second << "715";
    }
    void bcd()
    {
        QFETCH(quint8, byte);
        QFETCH(TimeField, field);
        QFETCH(QString, text);
        QCOMPARE(bcdText(byte, field), text);
    }

    // The years the switch-day table covers, and beyond it by the same rule.
    void switchDays_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("march");
        QTest::addColumn<int>("october");
        for (int y = 0; y <= 40; ++y)
            QTest::addRow("%d", 2000 + y) << 2000 + y << SwitchDays[y][0] << SwitchDays[y][1];
        QTest::newRow("1999") << 1999 << 28 << 31;
        QTest::newRow("2041") << 2041 << 31 << 27;
        QTest::newRow("2079, the last BCD year") << 2079 << 26 << 29;
        QTest::newRow("2100, no leap year") << 2100 << 28 << 31;
        QTest::newRow("2400, a leap year") << 2400 << 26 << 29;
    }
    void switchDays()
    {
        QFETCH(int, year);
        QFETCH(int, march);
        QFETCH(int, october);
        QCOMPARE(lastSunday(year, 3), march);
        QCOMPARE(lastSunday(year, 10), october);
        const int y = year - 2000;
        // The switch falls at 02:00 standard time on both days.
        QVERIFY(!summerTime({march, 3, y, 1}));
        QVERIFY(summerTime({march, 3, y, 2}));
        QVERIFY(summerTime({october, 10, y, 1}));
        QVERIFY(!summerTime({october, 10, y, 2}));
    }

    void summer_data()
    {
        QTest::addColumn<DateHour>("t");
        QTest::addColumn<bool>("summer");
        QTest::newRow("January") << DateHour{15, 1, 8, 10} << false;
        QTest::newRow("29 February") << DateHour{29, 2, 8, 12} << false;
        QTest::newRow("1 March") << DateHour{1, 3, 7, 12} << false;
        QTest::newRow("day before the March Sunday, 23:00") << DateHour{24, 3, 7, 23} << false;
        QTest::newRow("March Sunday 01:59") << DateHour{25, 3, 7, 1} << false;
        QTest::newRow("March Sunday 02:00") << DateHour{25, 3, 7, 2} << true;
        QTest::newRow("day after the March Sunday 00:00") << DateHour{26, 3, 7, 0} << true;
        QTest::newRow("March Sunday on the 31st, 01:00") << DateHour{31, 3, 13, 1} << false;
        QTest::newRow("1 April 00:00") << DateHour{1, 4, 13, 0} << true;
        QTest::newRow("July") << DateHour{15, 7, 8, 10} << true;
        QTest::newRow("30 September 23:00") << DateHour{30, 9, 8, 23} << true;
        QTest::newRow("day before the October Sunday, 23:00") << DateHour{27, 10, 7, 23} << true;
        QTest::newRow("October Sunday 01:30") << DateHour{28, 10, 7, 1} << true;
        QTest::newRow("October Sunday 02:30") << DateHour{28, 10, 7, 2} << false;
        QTest::newRow("day after the October Sunday") << DateHour{29, 10, 7, 0} << false;
        QTest::newRow("October Sunday on the 25th, 01:00") << DateHour{25, 10, 9, 1} << true;
        QTest::newRow("1 November") << DateHour{1, 11, 8, 0} << false;
        QTest::newRow("31 December") << DateHour{31, 12, 8, 23} << false;
    }
    void summer()
    {
        QFETCH(DateHour, t);
        QFETCH(bool, summer);
        QCOMPARE(summerTime(t), summer);
    }

    // Device bytes (R0..R7: unused, unused, year, month, day, hour, minute, second)
    // to the date-and-time text, with the summer-time setting on or off.
    void reading_data()
    {
        QTest::addColumn<QByteArray>("half");
        QTest::addColumn<bool>("setting");
        QTest::addColumn<QString>("text");
        QTest::newRow("winter, setting off") << hex("0000070305140709") << false << "05.03.2007   14:07:09";
        QTest::newRow("winter, setting on") << hex("0000070305140709") << true << "05.03.2007   14:07:09";
        QTest::newRow("summer, setting on") << hex("0000070705140709") << true << "05.07.2007   15:07:09";
        QTest::newRow("summer, setting off") << hex("0000070705140709") << false << "05.07.2007   14:07:09";
        QTest::newRow("9:00, setting on: no leading zero") << hex("0000080115090000") << true << "15.01.2008   9:00:00";
        QTest::newRow("9:00, setting off: two digits") << hex("0000080115090000") << false << "15.01.2008   09:00:00";
        QTest::newRow("March Sunday 01:59") << hex("0000070325015900") << true << "25.03.2007   1:59:00";
        QTest::newRow("March Sunday 02:00") << hex("0000070325020000") << true << "25.03.2007   3:00:00";
        QTest::newRow("October Sunday 01:30") << hex("0000071028013000") << true << "28.10.2007   2:30:00";
        QTest::newRow("October Sunday 02:30") << hex("0000071028023000") << true << "28.10.2007   2:30:00";
        QTest::newRow("23:xx to the next day") << hex("0000080715231234") << true << "16.07.2008   0:12:34";
        QTest::newRow("23:xx on the 30th of a 31-day month") << hex("0000080330233000") << true
                                                             << "31.03.2008   0:30:00";
        QTest::newRow("23:xx past March's end") << hex("0000080331231500") << true << "01.04.2008   0:15:00";
        QTest::newRow("23:xx past April's end") << hex("0000080430230000") << true << "01.05.2008   0:00:00";
        QTest::newRow("23:59:59 past July's end") << hex("0000080731235959") << true << "01.08.2008   0:59:59";
        QTest::newRow("23:xx past September's end") << hex("0000080930234500") << true << "01.10.2008   0:45:00";
        QTest::newRow("March Sunday 23:00") << hex("0000070325230000") << true << "26.03.2007   0:00:00";
        QTest::newRow("day before the October Sunday 23:30") << hex("0000071027233000") << true
                                                              << "28.10.2007   0:30:00";
        QTest::newRow("23:xx in summer, setting off") << hex("0000080731235959") << false << "31.07.2008   23:59:59";
        QTest::newRow("day before the March Sunday 23:00") << hex("0000070324230000") << true
                                                           << "24.03.2007   23:00:00";
        QTest::newRow("year's end stays in its year") << hex("0000081231235900") << true << "31.12.2008   23:59:00";
        QTest::newRow("leap day") << hex("0000080229233000") << true << "29.02.2008   23:30:00";
        QTest::newRow("bit 7 of the minute dropped") << hex("0000080115098500") << false << "15.01.2008   09:05:00";
        QTest::newRow("unused bytes ignored") << hex("FFFF080115090000") << false << "15.01.2008   09:00:00";
    }
    void reading()
    {
        QFETCH(QByteArray, half);
        QFETCH(bool, setting);
        QFETCH(QString, text);
        QCOMPARE(dateTimeText(renderDateTime(bytes(half), setting)), text);
    }

    // Writing the clock: the local date and hour back to standard time.
    void writing_data()
    {
        QTest::addColumn<DateHour>("local");
        QTest::addColumn<DateHour>("standard");
        QTest::newRow("summer") << DateHour{15, 7, 8, 10} << DateHour{15, 7, 8, 9};
        QTest::newRow("winter") << DateHour{15, 1, 8, 10} << DateHour{15, 1, 8, 10};
        QTest::newRow("March Sunday 03:00") << DateHour{30, 3, 8, 3} << DateHour{30, 3, 8, 2};
        QTest::newRow("March Sunday 00:30") << DateHour{30, 3, 8, 0} << DateHour{30, 3, 8, 0};
        QTest::newRow("October Sunday 01:30") << DateHour{26, 10, 8, 1} << DateHour{26, 10, 8, 0};
        QTest::newRow("October Sunday 02:30") << DateHour{26, 10, 8, 2} << DateHour{26, 10, 8, 2};
        QTest::newRow("October Sunday 00:30") << DateHour{26, 10, 8, 0} << DateHour{25, 10, 8, 23};
        QTest::newRow("summer 00:xx to the day before") << DateHour{16, 7, 8, 0} << DateHour{15, 7, 8, 23};
        QTest::newRow("1 April 00:xx to 31 March") << DateHour{1, 4, 8, 0} << DateHour{31, 3, 8, 23};
        QTest::newRow("1 July 00:xx to 30 June") << DateHour{1, 7, 8, 0} << DateHour{30, 6, 8, 23};
        QTest::newRow("day after the March Sunday 00:xx") << DateHour{31, 3, 8, 0} << DateHour{30, 3, 8, 23};
        QTest::newRow("day after the October Sunday") << DateHour{27, 10, 8, 0} << DateHour{27, 10, 8, 0};
        QTest::newRow("1 January stays in its year") << DateHour{1, 1, 9, 0} << DateHour{1, 1, 9, 0};
        QTest::newRow("1 March of a leap year") << DateHour{1, 3, 8, 0} << DateHour{1, 3, 8, 0};
    }
    void writing()
    {
        QFETCH(DateHour, local);
        QFETCH(DateHour, standard);
        QCOMPARE(shown(toStandardTime(local)), shown(standard));
    }

    // Every hour of 2000 .. 2040 in standard time, against the Central European
    // zone of the system's time-zone data: the reading direction shows its local
    // hour and date, and the writing direction takes that back to the device's
    // hour (but for the hour the October switch repeats, which reads as winter).
    void bothDirectionsAgreeWithTheZoneData()
    {
        const QTimeZone zone("Europe/Prague");
        QVERIFY(zone.isValid());
        const QTimeZone standardZone(3600);
        const QDateTime end(QDate(2041, 1, 1), QTime(0, 0), standardZone);
        for (QDateTime t(QDate(2000, 1, 1), QTime(0, 0), standardZone); t < end; t = t.addSecs(3600)) {
            const DateHour device = dateHour(t);
            const DateHour local = dateHour(t.toTimeZone(zone));
            const DateHour read = toLocalTime(device);
            if (!(read == local))
                QFAIL(qPrintable(shown(device) + " reads as " + shown(read) + ", not " + shown(local)));
            const bool repeated = local == dateHour(t.addSecs(3600).toTimeZone(zone));
            const DateHour written = toStandardTime(local);
            if (!repeated && !(written == device))
                QFAIL(qPrintable(shown(local) + " writes as " + shown(written) + ", not " + shown(device)));
        }
    }

    void records_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<bool>("setting");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("authorized");
        QTest::addColumn<QString>("positionShown");
        QTest::addColumn<QString>("time");
        QTest::newRow("known code in summer") << hex("0123456789abcdef1FA5070705140709") << true << "0123456789ABCDEF"
                                              << 506 << true << "506" << "05.07.2007   15:07:09";
        QTest::newRow("unknown code") << hex("00000000000000FF0000080115090000") << false << "00000000000000FF" << 0
                                      << false << "nedef" << "15.01.2008   09:00:00";
        QTest::newRow("low 4 bits of byte 9 unused") << hex("FFFFFFFFFFFFFFFF000F080115090000") << true
                                                     << "FFFFFFFFFFFFFFFF" << 0 << false << "nedef"
                                                     << "15.01.2008   9:00:00";
        QTest::newRow("position 1") << hex("A0B1C2D3E4F506170010080115090000") << true << "A0B1C2D3E4F50617" << 1
                                    << true << "1" << "15.01.2008   9:00:00";
        QTest::newRow("highest position") << hex("1111111111111111FFF0080731235959") << true << "1111111111111111"
                                          << 4095 << true << "4095" << "01.08.2008   0:59:59";
    }
    void records()
    {
        QFETCH(QByteArray, record);
        QFETCH(bool, setting);
        QFETCH(QString, code);
        QFETCH(int, position);
        QFETCH(bool, authorized);
        QFETCH(QString, positionShown);
        QFETCH(QString, time);
        QCOMPARE(record.size(), RecordSize);
        const EventRecord r = decodeRecord(bytes(record), setting);
        QCOMPARE(r.code, code);
        QCOMPARE(r.position, position);
        QCOMPARE(r.authorized(), authorized);
        QCOMPARE(positionText(r.position), positionShown);
        QCOMPARE(dateTimeText(r.time), time);
    }
};

QTEST_GUILESS_MAIN(TestEventFormat)
#include "test_event_format.moc"
