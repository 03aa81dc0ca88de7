// The simulated TAVO-M and TAVO-B readers: each command's reply on the line and
// what it does to the device's memories.
#include "tests/sim/sim_fixture.h"
#include "tests/sim/sim_test_frames.h"

#include <QtTest>

using namespace sim;

class TestSimDevices : public QObject {
    Q_OBJECT
    SimFixture f;

    // A TAVO-M at 5: relay time 5, 510 codes, slot 1 = 1122334455667788 with
    // flags 1, 8 and 10, slot 2 a code whose read reply has the check byte 0x7D.
    TavoMDevice &tavoM()
    {
        TavoMDevice &m = f.bus->addTavoM(5);
        m.setCode(1, 0x1122334455667788ull);
        m.setFlags(1, 0x0281);
        m.setCode(2, 0xEA);
        return m;
    }
    static QByteArray readRequest(int address, quint32 at, int memory)
    {
        return frame(address, 0x92, be32(at) + char(memory));
    }
    static QByteArray writeRequest(int address, const QByteArray &data8, quint32 at, int memory)
    {
        return frame(address, 0x94, data8 + be32(at) + char(memory));
    }
    static QByteArray blockRequest(int address, quint32 at, int memory)
    {
        return frame(address, 0x95, be32(at) + char(memory));
    }
    static QByteArray bytes(const TavoBDevice::Record &r) { return QByteArray(reinterpret_cast<const char *>(r.data()), 16); }
    static QByteArray record(quint64 code, int position, const QDateTime &t)
    {
        return bytes(TavoBDevice::makeRecord(code, position, t));
    }
    static QDateTime at(int y, int mo, int d, int h, int mi, int s)
    {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
    }
    // Event n as the tests record it: code n, position n mod 4096, 01.02.2024 plus n minutes.
    static QByteArray eventRecord(qint64 n) { return record(quint64(n), int(n % 4096), at(2024, 2, 1, 0, 0, 0).addSecs(n * 60)); }
    static void recordEvents(TavoBDevice &b, qint64 count)
    {
        for (qint64 i = 0; i < count; ++i) {
            const qint64 n = b.lastEvent() % TavoBDevice::RingSize + 1;
            const QByteArray r = eventRecord(n);
            TavoBDevice::Record rec;
            std::copy(r.begin(), r.end(), rec.begin());
            QVERIFY(b.record(rec));
        }
    }
    // The 64 frames of a block as 32 records.
    static QList<QByteArray> records(const QList<QByteArray> &frames)
    {
        QList<QByteArray> out;
        for (int i = 0; i + 1 < frames.size(); i += 2)
            out << frames[i] + frames[i + 1];
        return out;
    }

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }

    void tavoMCommandReplies_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("read configuration") << hex("7B 05 92 00 00 00 00 A0 37 7D")
                                            << hex("7B 05 92 05 05 1F F0 00 00 00 00 78 7D");
        QTest::newRow("read code of slot 1") << hex("7B 05 92 00 00 00 10 A0 27 7D")
                                             << hex("7B 05 92 11 22 33 44 55 66 77 88 1F 7D");
        QTest::newRow("read flags of slot 1") << hex("7B 05 92 00 00 00 18 A0 2F 7D")
                                              << hex("7B 05 92 81 02 00 00 00 00 00 00 14 7D");
        QTest::newRow("check byte 7D escaped") << hex("7B 05 92 00 00 00 20 A0 17 7D")
                                               << hex("7B 05 92 00 00 00 00 00 00 00 EA 7C 9D 7D");
        QTest::newRow("read version") << hex("7B 05 90 95 7D") << hex("7B 05 90 03 96 7D");
        QTest::newRow("transfer start") << hex("7B 05 8C 89 7D") << hex("7B 05 8C 89 7D");
        QTest::newRow("transfer end") << hex("7B 05 8D 88 7D") << hex("7B 05 8D 88 7D");
        QTest::newRow("last-codes release") << hex("7B 05 8E 8B 7D") << hex("7B 05 8E 8B 7D");
        QTest::newRow("relay test") << hex("7B 05 83 0A 05 80 09 7D") << hex("7B 05 83 86 7D");
        QTest::newRow("write flags") << hex("7B 05 93 01 80 00 00 00 28 A0 9F 7D") << hex("7B 05 93 01 80 17 7D");
        QTest::newRow("write entry, escaped bytes")
            << hex("7B 05 94 7C 9B 7C 9C 7C 9D 00 00 00 00 01 00 00 00 30 A0 7A 7D")
            << hex("7B 05 94 7C 9B 7C 9C 7C 9D 00 00 00 00 01 EA 7D");
        QTest::newRow("memory card is not there") << hex("7B 05 92 00 00 00 00 55 C2 7D") << QByteArray();
        QTest::newRow("broken check byte") << hex("7B 05 92 00 00 00 00 A0 38 7D") << QByteArray();
        QTest::newRow("read entry one byte short") << hex("7B 05 92 00 00 00 A0 37 7D") << QByteArray();
        QTest::newRow("unknown command") << hex("7B 05 99 9C 7D") << QByteArray();
    }
    void tavoMCommandReplies()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        tavoM();
        QCOMPARE(f.ask(request).toHex(' '), reply.toHex(' '));
    }

    void tavoMWritesLandAtTheirAddress()
    {
        TavoMDevice &m = tavoM();
        const QByteArray config = m.entry(0);
        f.ask(frame(5, 0x94, hex("0102030405060708") + be32(8160) + char(0xA0)));  // slot 510, code
        f.ask(frame(5, 0x93, hex("FF01") + be32(8168) + char(0xA0)));              // slot 510, flags
        QCOMPARE(m.code(510), 0x0102030405060708ull);
        QCOMPARE(m.flags(510), quint16(0x01FF));
        QCOMPARE(m.entry(510).mid(10).toHex(), QByteArray("000000000000"));
        QCOMPARE(m.entry(0), config);
        QCOMPARE(m.code(1), 0x1122334455667788ull);
    }

    void configurationWriteAnswersFromTheNewAddress()
    {
        TavoMDevice &m = tavoM();
        const QByteArray reply = f.ask(hex("7B 05 91 07 0A 1F F0 00 00 00 00 00 00 00 00 A0 D6 7D"));
        QCOMPARE(reply.toHex(' '), hex("7B 07 91 07 0A 1F F0 00 00 00 00 74 7D").toHex(' '));
        QCOMPARE(m.address(), quint8(7));
        QCOMPARE(m.relayTime(), quint8(10));
        QCOMPARE(m.codeCount(), 510);
        QVERIFY(f.ask(readRequest(5, 0, 0xA0)).isEmpty());
        QCOMPARE(replyData(f.ask(readRequest(7, 0, 0xA0)), 7, 0x92), QList<QByteArray>{hex("070A1FF000000000")});

        // 511 codes: (511 + 1) × 16 = 0x2000
        f.ask(frame(7, 0x91, hex("0705 2000") + QByteArray(8, '\0') + char(0xA0)));
        QCOMPARE(m.codeCount(), 511);
    }

    void lastCodesNewestFirstUntilReleased()
    {
        TavoMDevice &m = tavoM();
        m.presentKey(0x0000001234ABCDEFull);
        m.presentKey(0x7B7C7D0000000001ull);
        QCOMPARE(f.ask(hex("7B 05 8F 8A 7D")).toHex(' '),
                 (hex("7B 05 8F 02 88 7D") + hex("7B 05 8F 7C 9B 7C 9C 7C 9D 00 00 00 00 01 F1 7D") +
                  hex("7B 05 8F 00 00 00 12 34 AB CD EF 25 7D")).toHex(' '));
        f.ask(hex("7B 05 8E 8B 7D"));
        QCOMPARE(f.ask(hex("7B 05 8F 8A 7D")).toHex(' '), hex("7B 05 8F 00 8A 7D").toHex(' '));

        // The list is kept short enough for the 200 bytes the program reads.
        for (int i = 1; i <= 12; ++i)
            m.presentKey(quint64(i));
        const QByteArray reply = f.ask(hex("7B 05 8F 8A 7D"), 200);
        const QList<QByteArray> frames = replyData(reply, 5, 0x8F);
        QCOMPARE(frames.size(), 11);
        QCOMPARE(frames[0], QByteArray(1, char(TavoMDevice::LastCodesKept)));
        QCOMPARE(frames[1], hex("000000000000000C"));
        QCOMPARE(frames[10], hex("0000000000000003"));
        QVERIFY(reply.size() <= 200);
    }

    void readBlockSendsThirtyTwoEntriesAsSixtyFourFrames_data()
    {
        QTest::addColumn<int>("firstEntry");
        QTest::newRow("entries 32..63") << 32;
        QTest::newRow("entries 480..511") << 480;
    }
    void readBlockSendsThirtyTwoEntriesAsSixtyFourFrames()
    {
        QFETCH(int, firstEntry);
        TavoMDevice &m = tavoM();
        for (int e = 1; e < TavoMDevice::Entries; ++e) {
            m.setCode(e, 0x7B00000000000000ull | quint64(e));
            m.setFlags(e, quint16(e));
        }
        const QByteArray reply = f.ask(blockRequest(5, quint32(firstEntry * 16), 0xA0), 1600);
        const QList<QByteArray> entries = records(replyData(reply, 5, 0x95));
        QCOMPARE(entries.size(), 32);
        for (int i = 0; i < 32; ++i)
            QCOMPARE(entries[i].toHex(), m.entry(firstEntry + i).toHex());
    }

    void relayTestSwitchesTheTickedRelays()
    {
        TavoMDevice &m = tavoM();
        f.ask(frame(5, 0x83, hex("02 05 80")));  // relays 1, 3 and 16 for 2 s
        QVERIFY(m.relayClosed(1) && m.relayClosed(3) && m.relayClosed(16));
        QVERIFY(!m.relayClosed(2));
        f.vc.advanceMs(1850);
        QVERIFY(m.relayClosed(1));
        f.vc.advanceMs(100);
        QVERIFY(!m.relayClosed(1));

        f.ask(frame(5, 0x83, hex("00 01 00")));  // toggle relay 1: on, and it stays on
        f.vc.advanceMs(10000);
        QVERIFY(m.relayClosed(1));
        f.ask(frame(5, 0x83, hex("00 01 00")));
        QVERIFY(!m.relayClosed(1));
        f.ask(frame(5, 0x83, hex("FF 00 01")));  // hold relay 9
        f.vc.advanceMs(600000);
        QVERIFY(m.relayClosed(9));

        QCOMPARE(int(m.relayTests().size()), 4);
        QCOMPARE(m.relayTests()[0].time, quint8(2));
        QCOMPARE(m.relayTests()[0].relays, quint16(0x8005));
    }

    void tavoBHeaderAndClockReads()
    {
        TavoBDevice &b = f.bus->addTavoB(1);
        b.setRange(1, 100);
        b.setIdentification(hex("0123456789ABCDEF"));
        b.setClock(at(2007, 3, 5, 14, 7, 9));
        QCOMPARE(f.ask(readRequest(1, 0, 0xA4)), frame(1, 0x92, hex("00000200 00000830")));
        QCOMPARE(f.ask(readRequest(1, 8, 0xA4)), frame(1, 0x92, hex("0123456789ABCDEF")));
        QCOMPARE(f.ask(readRequest(1, 0, 0x55)), frame(1, 0x92, hex("00000200 00000830")));
        QCOMPARE(f.ask(readRequest(1, 8, 0x55)), frame(1, 0x92, hex("0123456789ABCDEF")));
        // The clock: standard time in BCD, running; its address bytes do not matter.
        f.vc.advanceMs(1000 * 61 - 200);
        QCOMPARE(f.ask(readRequest(1, 0x12345678, 0xA2)), frame(1, 0x92, hex("0000 07 03 05 14 08 10")));
    }

    void tavoBClockWrite()
    {
        TavoBDevice &b = f.bus->addTavoB(1);
        QCOMPARE(f.ask(writeRequest(1, hex("0000 08 07 15 09 00 00"), 0, 0xA2)),
                 frame(1, 0x94, hex("0000 08 07 15 09 00 00")));
        QCOMPARE(b.clock().toString(Qt::ISODate), QStringLiteral("2008-07-15T09:00:00Z"));
        f.vc.advanceMs(1500);
        // Not a date: the clock goes on as it was.
        QCOMPARE(f.ask(writeRequest(1, hex("0000 08 13 15 09 00 00"), 0, 0xA2)),
                 frame(1, 0x94, hex("0000 08 07 15 09 00 01")));
        QCOMPARE(f.ask(writeRequest(1, hex("0000 08 02 30 09 00 00"), 0, 0xA2)),
                 frame(1, 0x94, hex("0000 08 07 15 09 00 01")));
        QCOMPARE(f.ask(writeRequest(1, hex("0000 08 02 1A 09 00 00"), 0, 0xA2)),
                 frame(1, 0x94, hex("0000 08 07 15 09 00 01")));
    }

    // The block of the last event reaches the card only when it is full; until
    // then the event buffer holds it.
    void newestBlockIsInTheEventBufferFirst()
    {
        TavoBDevice &b = f.bus->addTavoB(1);
        recordEvents(b, 40);
        QCOMPARE(b.lastEvent(), 40);
        const QByteArray blank(16, char(0xFF));
        const QList<QByteArray> card = records(replyData(f.ask(blockRequest(1, 1024, 0x55), 1600), 1, 0x95));
        const QList<QByteArray> buffer = records(replyData(f.ask(blockRequest(1, 16, 0xA4), 1600), 1, 0x95));
        QCOMPARE(card.size(), 32);
        QCOMPARE(buffer.size(), 32);
        QCOMPARE(card[0], blank);
        QCOMPARE(buffer[0].toHex(), eventRecord(33).toHex());
        QCOMPARE(buffer[7].toHex(), eventRecord(40).toHex());
        QCOMPARE(buffer[8], blank);
        // the date of event 40 from the buffer: slot 7, second half
        QCOMPARE(f.ask(readRequest(1, 16 + 16 * 7 + 8, 0xA4)), frame(1, 0x92, eventRecord(40).mid(8)));

        recordEvents(b, 24);
        QCOMPARE(f.ask(readRequest(1, (64 + 31) * 16 + 8, 0x55)), frame(1, 0x92, eventRecord(64).mid(8)));
        const QList<QByteArray> full = records(replyData(f.ask(blockRequest(1, 1024, 0x55), 1600), 1, 0x95));
        QCOMPARE(full.size(), 32);
        QCOMPARE(full[0].toHex(), eventRecord(33).toHex());
        QCOMPARE(full[31].toHex(), eventRecord(64).toHex());
        QCOMPARE(f.ask(readRequest(1, 0, 0xA4)), frame(1, 0x92, hex("00000200 000005F0")));
    }

    void ringRunsOverItsEnd()
    {
        TavoBDevice &b = f.bus->addTavoB(1);
        b.setRange(3999990, 3999989);
        QCOMPARE(b.eventCount(), 0);
        recordEvents(b, 21);
        QCOMPARE(b.firstEvent(), 3999990);
        QCOMPARE(b.lastEvent(), 10);
        QCOMPARE(b.eventCount(), 21);
        QCOMPARE(f.ask(readRequest(1, 0, 0xA4)), frame(1, 0x92, hex("03D09150 00000290")));
        const QList<QByteArray> end = records(replyData(f.ask(blockRequest(1, 64000000, 0x55), 1600), 1, 0x95));
        QCOMPARE(end.size(), 32);
        QCOMPARE(end[20], QByteArray(16, char(0xFF)));  // event 3999989 was never recorded
        QCOMPARE(end[21].toHex(), eventRecord(3999990).toHex());
        QCOMPARE(end[31].toHex(), eventRecord(4000000).toHex());
        QCOMPARE(b.event(10), TavoBDevice::makeRecord(10, 10, at(2024, 2, 1, 0, 10, 0)));
        // Past the card's end nothing is read.
        QVERIFY(f.ask(blockRequest(1, 64000512, 0x55), 1600).isEmpty());

        // A full ring drops its oldest event for each new one.
        b.setRange(6, 4);
        QCOMPARE(b.eventCount(), TavoBDevice::RingSize - 1);
        recordEvents(b, 1);
        QCOMPARE(b.eventCount(), TavoBDevice::RingSize);
        QCOMPARE(b.firstEvent(), 6);
        recordEvents(b, 1);
        QCOMPARE(b.eventCount(), TavoBDevice::RingSize);
        QCOMPARE(b.firstEvent(), 7);
        QCOMPARE(b.lastEvent(), 6);
    }

    void setUpWritesTheHeaderThroughTheEventBuffer()
    {
        TavoBDevice &b = f.bus->addTavoB(1);
        recordEvents(b, 50);
        QCOMPARE(f.ask(writeRequest(1, hex("00000200 00000830"), 0, 0xA4)), frame(1, 0x94, hex("00000200 00000830")));
        QCOMPARE(b.firstEvent(), 1);
        QCOMPARE(b.lastEvent(), 100);
        QCOMPARE(f.ask(writeRequest(1, hex("0123456789ABCDEF"), 8, 0xA4)), frame(1, 0x94, hex("0123456789ABCDEF")));
        QCOMPARE(b.identification(), hex("0123456789ABCDEF"));
        QCOMPARE(b.readCard(0, 16), hex("00000200 00000830 0123456789ABCDEF"));
        // events 33..50 were in the buffer; with the last event elsewhere they are on the card
        QCOMPARE(b.readCard((50 + 31) * 16, 16).toHex(), eventRecord(50).toHex());
        recordEvents(b, 1);
        QCOMPARE(bytes(b.event(101)).toHex(), eventRecord(101).toHex());

        // Pointers out of range are kept as written, and the device records nothing.
        f.ask(writeRequest(1, hex("000001F0 000001F0"), 0, 0xA4));
        QCOMPARE(b.firstEvent(), 0);
        QCOMPARE(f.ask(readRequest(1, 0, 0x55)), frame(1, 0x92, hex("000001F0 000001F0")));
        QVERIFY(!b.record(0x1234, 1));
    }

    void cardHeldSparselyAndMayBeMissing()
    {
        TavoBDevice &b = f.bus->addTavoB(1);
        recordEvents(b, 3000);
        QCOMPARE(b.cardRecordsHeld(), std::size_t(2976));  // the newest block (2977..3000) not yet
        QCOMPARE(records(replyData(f.ask(blockRequest(1, 32000000, 0x55), 1600), 1, 0x95)),
                 QList<QByteArray>(32, QByteArray(16, char(0xFF))));

        b.setCardPresent(false);
        QVERIFY(f.ask(readRequest(1, 0, 0x55)).isEmpty());
        QVERIFY(f.ask(blockRequest(1, 512, 0x55), 1600).isEmpty());
        QCOMPARE(replyData(f.ask(readRequest(1, 0, 0xA4)), 1, 0x92).size(), 1);
        // A TAVO-B has no code memory and no version: a network scan passes it by.
        QVERIFY(f.ask(readRequest(1, 0, 0xA0)).isEmpty());
        QVERIFY(f.ask(frame(1, 0x90)).isEmpty());
        QCOMPARE(f.ask(frame(1, 0x8C)), frame(1, 0x8C));
        QVERIFY(b.transferOpen());
        QCOMPARE(f.ask(frame(1, 0x8D)), frame(1, 0x8D));
        QVERIFY(!b.transferOpen());
    }
};

QTEST_GUILESS_MAIN(TestSimDevices)
#include "test_sim_devices.moc"
