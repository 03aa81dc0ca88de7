// How a working-set slot travels: the code and flag texts as request bytes,
// the reply bytes as texts again, and the stored code count.
#include "devices/code_memory/entry_texts.h"

#include <QtTest>

namespace {
QByteArray bytes(const std::array<quint8, 8> &a) { return QByteArray(reinterpret_cast<const char *>(a.data()), 8); }
} // namespace

class TestEntryTexts : public QObject {
    Q_OBJECT
private slots:
    void codeBytesFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("16 hex digits") << "0123456789ABCDEF" << QByteArray::fromHex("0123456789ABCDEF");
        QTest::newRow("lower case as upper") << "00ff00aa0000bc12" << QByteArray::fromHex("00FF00AA0000BC12");
        QTest::newRow("short: 0 appended") << "12AB" << QByteArray::fromHex("12AB000000000000");
        QTest::newRow("empty") << "" << QByteArray(8, '\0');
        QTest::newRow("only 16 characters count") << "11223344556677889900" << QByteArray::fromHex("1122334455667788");
        // "G" counts 71 - 55 = 16, so "1G" is 16 + 16 = 0x20; " 1" is -16 * 16 + 1, modulo 256 = 0x01.
        QTest::newRow("other characters by their code") << "1G 1000000000000" << QByteArray::fromHex("2001000000000000");
        // "z" is upper-cased to "Z" (90 - 55 = 35): 35 * 16 + 35 = 595, modulo 256 = 0x53.
        QTest::newRow("modulo 256") << "zz00000000000000" << QByteArray::fromHex("5300000000000000");
        // A Czech letter is one Windows-1250 byte ("č" = 0xE8, 232 - 55 = 177): 177 * 16 + 0 = 2832 -> 0x10.
        QTest::newRow("windows-1250 byte") << "č000000000000000" << QByteArray::fromHex("1000000000000000");
    }
    void codeBytesFromText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(bytes(codeBytes(text)), expected);
    }

    void flagBytesFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::newRow("none") << "0000000000000000" << 0 << 0;
        QTest::newRow("all") << "1111111111111111" << 0xFF << 0xFF;
        QTest::newRow("flag 1 is bit 0") << "1" << 0x01 << 0;
        QTest::newRow("flag 8 and 9") << "0000000110000000" << 0x80 << 0x01;
        QTest::newRow("flag 16") << "0000000000000001" << 0 << 0x80;
        QTest::newRow("any character above 0 sets") << "a/2 x" << 0x15 << 0;
        QTest::newRow("codes of 128 and above do not") << "čž10" << 0x04 << 0;
        QTest::newRow("empty") << "" << 0 << 0;
    }
    void flagBytesFromText()
    {
        QFETCH(QString, text);
        QFETCH(int, first);
        QFETCH(int, second);
        const std::array<quint8, 2> f = flagBytes(text);
        QCOMPARE(int(f[0]), first);
        QCOMPARE(int(f[1]), second);
    }

    void textsFromReplyBytes_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QString>("codeText");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QString>("flagText");
        QTest::newRow("zeros") << QByteArray(8, '\0') << "0000000000000000" << 0 << 0 << "0000000000000000";
        QTest::newRow("upper-case digits, first byte first")
            << QByteArray::fromHex("0123456789abcdef") << "0123456789ABCDEF" << 0x01 << 0x80 << "1000000000000001";
        QTest::newRow("all ones") << QByteArray(8, '\xFF') << "FFFFFFFFFFFFFFFF" << 0xFF << 0xFF << "1111111111111111";
    }
    void textsFromReplyBytes()
    {
        QFETCH(QByteArray, code);
        QFETCH(int, first);
        QFETCH(int, second);
        QTEST(codeText(reinterpret_cast<const quint8 *>(code.constData())), "codeText");
        QTEST(flagText(quint8(first), quint8(second)), "flagText");
    }

    // A text written and read back comes back the same, for codes in the form the operator types.
    void textsSurviveTheRoundTrip()
    {
        for (const QString &code : {QStringLiteral("0000000000000000"), QStringLiteral("00A1B2C3D4E5F607"),
                                    QStringLiteral("FFFFFFFFFFFFFFFF")})
            QCOMPARE(codeText(codeBytes(code).data()), code);
        for (const QString &flags : {QStringLiteral("1010101010101010"), QStringLiteral("0000000000000001")}) {
            const std::array<quint8, 2> f = flagBytes(flags);
            QCOMPARE(flagText(f[0], f[1]), flags);
        }
    }

    // The device keeps (count + 1) x 16 in two bytes, high byte first.
    void storedCodeCount_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("510") << 510 << 0x1F << 0xF0;
        QTest::newRow("0") << 0 << 0x00 << 0x10;
        QTest::newRow("15") << 15 << 0x01 << 0x00;
        QTest::newRow("100") << 100 << 0x06 << 0x50;
    }
    void storedCodeCount()
    {
        QFETCH(int, count);
        QFETCH(int, high);
        QFETCH(int, low);
        QCOMPARE(int(codeCountHigh(count)), high);
        QCOMPARE(int(codeCountLow(count)), low);
        QCOMPARE(::storedCodeCount(quint8(high), quint8(low)), count);
    }
};

QTEST_MAIN(TestEntryTexts)
#include "test_entry_texts.moc"
