// What the clock and set-up windows make of the operator's texts: the split of
// a date and time, the pair rule, the summer-time rule on writing, the
// identification number, the event numbers, the generated number, the PC's
// time text and the clock's drift.
#include "devices/event_memory/setup_texts.h"

#include <QtTest>
#include <stdexcept>

using namespace tavob;

Q_DECLARE_METATYPE(tavob::DateTimeTexts)

namespace {
QByteArray bytes(const ClockBytes &b) { return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size())); }
QByteArray bytes(const std::array<quint8, 8> &b) { return QByteArray(reinterpret_cast<const char *>(b.data()), 8); }
QString errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
    return QString();
}
} // namespace

class TestSetupTexts : public QObject {
    Q_OBJECT
private slots:
    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");  // day, month, year, hour, minute, second
        QTest::newRow("typed in full") << "24.12.2007 18:30:00" << QStringList{"24", "12", "07", "18", "30", "00"};
        QTest::newRow("one-digit fields") << "1.2.2008 8:05:00" << QStringList{"1", "2", "08", "8", "05", "00"};
        QTest::newRow("the PC's text, three spaces") << "9.12.2007   14:05:30" << QStringList{"9", "12", "07", "14", "05", "30"};
        QTest::newRow("no seconds") << "24.12.2007 18:30" << QStringList{"24", "12", "07", "18", "", "30"};
        QTest::newRow("empty") << "" << QStringList{"", "", "", "", "", ""};
        QTest::newRow("one character left for the second") << "1.1.08 1:1:5" << QStringList{"1", "1", "08", "1", "1", "5"};
        QTest::newRow("no separators at all") << "12345" << QStringList{"", "", "", "", "", "45"};
    }
    void split()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        const DateTimeTexts t = splitDateTime(text);
        QCOMPARE((QStringList{t.day, t.month, t.year, t.hour, t.minute, t.second}), fields);
    }

    void pairRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("byte");
        QTest::newRow("07") << "07" << 0x07;
        QTest::newRow("18") << "18" << 0x18;
        QTest::newRow("one digit gets a 0") << "8" << 0x08;
        QTest::newRow("empty is 00") << "" << 0x00;
        QTest::newRow("three characters are 00") << "255" << 0x00;
        QTest::newRow("a space in front counts as 0") << " 9" << 0x09;
        QTest::newRow("hex digits, lower case too") << "aF" << 0xAF;
        QTest::newRow("a space alone: 0 and 240") << " " << 0xF0;
        QTest::newRow("other characters, modulo 256") << "ZZ" << (35 * 16 + 35) % 256;
    }
    void pairRule()
    {
        QFETCH(QString, text);
        QFETCH(int, byte);
        QCOMPARE(int(pairByte(text)), byte);
    }

    // Bytes: year, month, day, hour, minute, second.
    void clockWrite_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("summer");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("July, summer: hour 0x09") << "15.07.2008 10:00:00" << true << QByteArray::fromHex("080715090000");
        QTest::newRow("January, winter: hour 0x10") << "15.01.2008 10:00:00" << true << QByteArray::fromHex("080115100000");
        QTest::newRow("30.03.2008 03:00, summer by hour > 1") << "30.03.2008 03:00:00" << true
                                                            << QByteArray::fromHex("080330020000");
        QTest::newRow("30.03.2008 01:30, still winter") << "30.03.2008 01:30:00" << true << QByteArray::fromHex("080330013000");
        QTest::newRow("26.10.2008 01:30, summer by hour < 2") << "26.10.2008 01:30:00" << true
                                                            << QByteArray::fromHex("081026003000");
        QTest::newRow("26.10.2008 02:30, winter") << "26.10.2008 02:30:00" << true << QByteArray::fromHex("081026023000");
        QTest::newRow("the same with the setting off") << "15.07.2008 10:00:00" << false << QByteArray::fromHex("080715100000");
        QTest::newRow("24.12.2007 18:30:00") << "24.12.2007 18:30:00" << true << QByteArray::fromHex("071224183000");
        QTest::newRow("1.2.2008 8:05:00, setting off") << "1.2.2008 8:05:00" << false << QByteArray::fromHex("080201080500");
        QTest::newRow("1.2.2008 8:05:00, setting on, winter") << "1.2.2008 8:05:00" << true << QByteArray::fromHex("080201080500");
        QTest::newRow("the PC's text") << "9.12.2007   14:05:30" << true << QByteArray::fromHex("071209140530");
        QTest::newRow("the PC's text before 10 o'clock: hour \" 9\"") << "15.7.2008   9:05:30" << true
                                                                      << QByteArray::fromHex("080715080530");
        QTest::newRow("two spaces before the hour") << "1.2.2008  9:00:00" << true << QByteArray::fromHex("080201090000");
        QTest::newRow("no seconds, setting off: minute 00, second 30") << "24.12.2007 18:30" << false
                                                                      << QByteArray::fromHex("071224180030");
        // 00:xx local in summer is 23:xx of the day before, the date carried.
        QTest::newRow("15.07.2008 00:30 is 14.07. 23:30") << "15.07.2008 00:30:00" << true << QByteArray::fromHex("080714233000");
        QTest::newRow("1.5.2008 00:10 is 30.04. 23:10") << "1.5.2008 0:10:00" << true << QByteArray::fromHex("080430231000");
        QTest::newRow("26.10.2008 00:59 is 25.10. 23:59") << "26.10.2008 00:59:00" << true << QByteArray::fromHex("081025235900");
        QTest::newRow("anything goes with the setting off") << "ab.cd.20ef gh:ij:kl" << false
                                                           << QByteArray::fromHex("EFCDAB113355");
    }
    void clockWrite()
    {
        QFETCH(QString, text);
        QFETCH(bool, summer);
        QFETCH(QByteArray, bytes);
        QCOMPARE(::bytes(clockWriteBytes(text, summer)).toHex(' '), bytes.toHex(' '));
    }

    void clockWriteRefusesWhatIsNoNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("a letter in the hour") << "15.07.2008 1x:00:00" << "'1x' is not a valid integer value";
        QTest::newRow("no seconds") << "24.12.2007 18:30" << "'' is not a valid integer value";
        QTest::newRow("empty") << "" << "'' is not a valid integer value";
        QTest::newRow("spaces only") << "15.07.2008   :00:00" << "'' is not a valid integer value";
    }
    void clockWriteRefusesWhatIsNoNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, error);
        QCOMPARE(errorOf([&] { clockWriteBytes(text, true); }), error);
    }

    void identification_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("0123456789abcdef") << "0123456789abcdef" << QByteArray::fromHex("0123456789ABCDEF");
        QTest::newRow("12345, filled at its end") << "12345" << QByteArray::fromHex("1234500000000000");
        QTest::newRow("20 characters, the first 16 used") << "FEDCBA9876543210ABCD" << QByteArray::fromHex("FEDCBA9876543210");
        QTest::newRow("empty") << "" << QByteArray(8, '\0');
        QTest::newRow("a generated number") << "123456789" << QByteArray::fromHex("1234567890000000");
        QTest::newRow("other characters are not refused") << "H1" << QByteArray::fromHex("1100000000000000");
        QTest::newRow("a Czech letter, upper-cased, by its Windows-1250 code")
            << QStringLiteral("č1") << QByteArray::fromHex("1100000000000000");
    }
    void identification()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(::bytes(identificationBytes(text)).toHex(' '), bytes.toHex(' '));
    }

    void eventNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");  // -1: refused
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("the ring's end") << "4000000" << 4000000;
        QTest::newRow("past the ring, taken as it is") << "5000000" << 5000000;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("not a number") << "12a" << -1;
    }
    void eventNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        if (number >= 0) {
            QCOMPARE(eventNumberToWrite(text), number);
            return;
        }
        QCOMPARE(errorOf([&] { eventNumberToWrite(text); }), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }

    void generatedNumber_data()
    {
        QTest::addColumn<int>("r");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "0";
        QTest::newRow("1") << 1 << "30140";
        QTest::newRow("half") << 16384 << "493827160";
        QTest::newRow("the largest, 9 digits") << 32767 << "987624180";
    }
    void generatedNumber()
    {
        QFETCH(int, r);
        QFETCH(QString, text);
        QCOMPARE(generatedIdentification(r), text);
    }

    // Czech formats whatever the locale the program runs under.
    void pcTime_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("C") << "C";
        QTest::newRow("en_US") << "en_US";
        QTest::newRow("de_DE") << "de_DE";
        QTest::newRow("ar_EG, other digits") << "ar_EG";
    }
    void pcTime()
    {
        QFETCH(QString, locale);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        const QString morning = pcTimeText(QDateTime(QDate(2007, 12, 9), QTime(9, 5, 3)));
        const QString afternoon = pcTimeText(QDateTime(QDate(2008, 1, 31), QTime(14, 5, 30)));
        QLocale::setDefault(before);
        QCOMPARE(morning, QStringLiteral("9.12.2007   9:05:03"));
        QCOMPARE(afternoon, QStringLiteral("31.1.2008   14:05:30"));
    }

    void drift_data()
    {
        QTest::addColumn<DateTimeTexts>("device");
        QTest::addColumn<QString>("text");
        const auto t = [](const char *d, const char *mo, const char *y, const char *h, const char *mi, const char *s) {
            return DateTimeTexts{d, mo, y, h, mi, s};
        };
        // The PC: 15.07.2008 10:00:00.
        QTest::newRow("in step") << t("15", "07", "08", "10", "00", "00") << "Odchylka od PC: 0 s";
        QTest::newRow("ahead") << t("15", "07", "08", "10", "00", "07") << "Odchylka od PC: +7 s";
        QTest::newRow("behind, hour without a leading zero") << t("15", "07", "08", "9", "58", "45")
                                                             << "Odchylka od PC: -75 s";
        QTest::newRow("a day ahead") << t("16", "07", "08", "10", "00", "00") << "Odchylka od PC: +86400 s";
        QTest::newRow("never set") << t("01", "01", "00", "00", "00", "00") << "Odchylka od PC: -269431200 s";
        QTest::newRow("no valid time") << t("32", "07", "08", "10", "00", "00") << "";
        QTest::newRow("no valid BCD") << t("15", "07", "08", "10", "7F", "00") << "";
    }
    void drift()
    {
        QFETCH(DateTimeTexts, device);
        QFETCH(QString, text);
        QCOMPARE(driftText(clockDrift(device, QDateTime(QDate(2008, 7, 15), QTime(10, 0)))), text);
    }
};

QTEST_MAIN(TestSetupTexts)
#include "test_setup_texts.moc"
