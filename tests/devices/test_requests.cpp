// The bytes of every request builder: command, data bytes Q0.., big-endian
// addresses and memory selectors.
#include "devices/code_memory/requests.h"
#include "devices/event_memory/requests.h"

#include <QtTest>

Q_DECLARE_METATYPE(Request)

namespace {
QByteArray hex(const char *text) { return QByteArray::fromHex(text); }
} // namespace

class TestRequests : public QObject {
    Q_OBJECT
private slots:
    void builders_data()
    {
        QTest::addColumn<Request>("request");
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("data");

        QTest::newRow("transfer start") << bus::transferStart() << 140 << QByteArray();
        QTest::newRow("transfer end") << bus::transferEnd() << 141 << QByteArray();
        QTest::newRow("read block, code memory") << bus::readBlock(0x1E0, 160) << 149 << hex("000001E0A0");
        QTest::newRow("read block, card, all four address bytes")
            << bus::readBlock(0x03D09200, 85) << 149 << hex("03D0920055");
        QTest::newRow("read block, event buffer") << bus::readBlock(16, 164) << 149 << hex("00000010A4");
        QTest::newRow("read entry, high address byte") << bus::readEntry(0xFF000008u, 85) << 146 << hex("FF00000855");
        QTest::newRow("write entry") << bus::writeEntry({1, 2, 3, 4, 5, 6, 7, 8}, 0x01020304, 164) << 148
                                     << hex("0102030405060708" "01020304" "A4");

        QTest::newRow("read configuration") << tavoM::readConfiguration() << 146 << hex("00000000A0");
        QTest::newRow("read entry 1") << tavoM::readEntry(tavoM::entryAddress(1)) << 146 << hex("00000010A0");
        QTest::newRow("write configuration, factory")
            << tavoM::writeConfiguration(255, 5, 510) << 145 << hex("FF051FF0" "0000000000000000" "A0");
        QTest::newRow("write configuration, 511 codes")
            << tavoM::writeConfiguration(7, 12, 511) << 145 << hex("070C2000" "0000000000000000" "A0");
        QTest::newRow("write configuration, no codes")
            << tavoM::writeConfiguration(0, 0, 0) << 145 << hex("00000010" "0000000000000000" "A0");
        QTest::newRow("write code, slot 1, empty text")
            << tavoM::writeCode(1, QString()) << 148 << hex("0000000000000000" "00000010" "A0");
        QTest::newRow("write code, short text filled with 0")
            << tavoM::writeCode(2, QStringLiteral("12ab")) << 148 << hex("12AB000000000000" "00000020" "A0");
        QTest::newRow("write code, slot 510")
            << tavoM::writeCode(510, QStringLiteral("0123456789ABCDEF")) << 148 << hex("0123456789ABCDEF" "00001FE0" "A0");
        QTest::newRow("write flags, flag 1") << tavoM::writeFlags(1, QStringLiteral("1")) << 147 << hex("0100" "00000018" "A0");
        QTest::newRow("write flags, flag 16")
            << tavoM::writeFlags(510, QStringLiteral("0000000000000001")) << 147 << hex("0080" "00001FE8" "A0");
        QTest::newRow("read version") << tavoM::readVersion() << 144 << QByteArray();
        QTest::newRow("relay test") << tavoM::relayTest(10, 0x05, 0x80) << 131 << hex("0A0580");
        QTest::newRow("last codes read") << tavoM::lastCodesRead() << 143 << QByteArray();
        QTest::newRow("last codes release") << tavoM::lastCodesRelease() << 142 << QByteArray();

        // TAVO-B: the date of one event, and where the block transfer reads a block.
        QTest::newRow("date of event 64 from the card") << tavoB::readEventDate(64, false) << 146 << hex("000005F855");
        QTest::newRow("date of event 40 from the event buffer")
            << tavoB::readEventDate(40, true) << 146 << hex("00000088A4");
        const auto block = [](const BlockTransfer::Place &p) { return bus::readBlock(p.address, p.selector); };
        QTest::newRow("newest block from the event buffer") << block(tavoB::eventBlock(33, true)) << 149
                                                            << hex("00000010A4");
        QTest::newRow("block of events 33..64 from the card") << block(tavoB::eventBlock(33, false)) << 149
                                                              << hex("0000040055");
        QTest::newRow("the ring's last block") << block(tavoB::eventBlock(3999969, false)) << 149 << hex("03D0900055");

        // TAVO-B: the clock (its address bytes zero), the header of the card and
        // of the device event buffer, and the set-up's writes into the buffer.
        QTest::newRow("read clock") << tavoB::readClock() << 146 << hex("00000000A2");
        QTest::newRow("write clock 24.12.2007 18:30:00")
            << tavoB::writeClock({0x07, 0x12, 0x24, 0x18, 0x30, 0x00}) << 148 << hex("0000071224183000" "00000000" "A2");
        QTest::newRow("write clock, bytes that travel escaped")
            << tavoB::writeClock({0x7B, 0x7C, 0x7D, 0xFF, 0x01, 0x59}) << 148 << hex("00007B7C7DFF0159" "00000000" "A2");
        QTest::newRow("card identification") << tavoB::readIdentification(85) << 146 << hex("0000000855");
        QTest::newRow("card pointers") << tavoB::readPointers(85) << 146 << hex("0000000055");
        QTest::newRow("device identification") << tavoB::readIdentification(164) << 146 << hex("00000008A4");
        QTest::newRow("device pointers") << tavoB::readPointers(164) << 146 << hex("00000000A4");
        QTest::newRow("write identification")
            << tavoB::writeIdentification({0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}) << 148
            << hex("0123456789ABCDEF" "00000008" "A4");
        QTest::newRow("write start values: first 1, last 0") << tavoB::writePointers(1, 0) << 148
                                                            << hex("00000200000001F0" "00000000" "A4");
        QTest::newRow("write first 1, last 100") << tavoB::writePointers(1, 100) << 148
                                                 << hex("0000020000000830" "00000000" "A4");
        QTest::newRow("write the ring's end") << tavoB::writePointers(3999969, 4000000) << 148
                                              << hex("03D0900003D091F0" "00000000" "A4");
        QTest::newRow("write past the ring, unchanged") << tavoB::writePointers(4000001, 99999999) << 148
                                                        << hex("03D092005F5E11E0" "00000000" "A4");
    }
    void builders()
    {
        QFETCH(Request, request);
        QFETCH(int, command);
        QFETCH(QByteArray, data);
        QCOMPARE(int(request.command), command);
        QCOMPARE(request.data.toHex(' '), data.toHex(' '));
        // The length every device of the bus expects for the command.
        QCOMPARE(int(request.data.size()), requestDataLength(request.command));
    }
};

QTEST_GUILESS_MAIN(TestRequests)
#include "test_requests.moc"
