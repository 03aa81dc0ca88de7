// The frame codec, the reply decoder, the receive path and the port handling of the link.
#include "tests/support/held_link.h"
#include "link/job.h"
#include "core/clock.h"
#include "link/link.h"
#include "tests/link/fake_port.h"

#include <QtTest>

namespace {
QByteArray hex(const char *text) { return QByteArray::fromHex(text); }

struct Fixture {
    FakePort *port = new FakePort;
    Link link{std::unique_ptr<SerialPort>(port)};

    // Hands bytes to the link as one read, the way a window timer's tick does.
    void arrive(const QByteArray &bytes)
    {
        port->incoming = bytes;
        link.poll(Link::ReceiveSize);
    }
    QByteArray decoded() const
    {
        return QByteArray(reinterpret_cast<const char *>(link.frame.data()), link.storedCount);
    }
};
}  // namespace

class TestLink : public QObject {
    Q_OBJECT
private slots:
    void sendFramesTheRequest_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("read entry") << 5 << 0x92 << hex("00000000A0") << hex("7B059200000000A0377D");
        QTest::newRow("escaped data") << 1 << 0x92 << hex("7C7D0000A0") << hex("7B01927C9C7C9D0000A0327D");
        QTest::newRow("escaped address") << 0x7B << 0x90 << QByteArray() << hex("7B7C9B90EB7D");
        QTest::newRow("check byte 7D") << 5 << 0x78 << QByteArray() << hex("7B05787C9D7D");
        QTest::newRow("check byte 7B") << 5 << 0x7E << QByteArray() << hex("7B057E7C9B7D");
        QTest::newRow("check byte 7C") << 5 << 0x79 << QByteArray() << hex("7B05797C9C7D");
        QTest::newRow("low byte of a wide address") << 0x105 << 0x90 << QByteArray() << hex("7B0590957D");
        QTest::newRow("sixteen bytes, all escaped")
            << 0x7D << 0x7D << QByteArray(14, '\x7D') << QByteArray("\x7B") + QByteArray("\x7C\x9D").repeated(16)
                   + QByteArray("\x00\x7D", 2);
    }
    void sendFramesTheRequest()
    {
        QFETCH(int, address);
        QFETCH(int, command);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, wire);
        Fixture f;
        f.link.currentAddress = qint16(address);
        for (int i = 0; i < data.size(); ++i)
            f.link.q(i) = quint8(data[i]);
        sendHeld(f.link, quint8(command), 2 + int(data.size()));
        QCOMPARE(f.port->writes, QList<QByteArray>{wire});
        QCOMPARE(int(f.link.frame[16]), address & 0xFF);
        QCOMPARE(int(f.link.frame[17]), command);
    }

    // A built request goes out the same way, its data at Q0.. of the frame buffer.
    void sendTakesABuiltRequest()
    {
        Fixture f;
        f.link.currentAddress = 5;
        sendHeld(f.link, bus::readEntry(0, Selector::CodeMemory));
        QCOMPARE(f.port->writes, QList<QByteArray>{hex("7B059200000000A0377D")});
        QCOMPARE(int(f.link.q(4)), 0xA0);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, sendHeld(f.link, Request{0x94, QByteArray(15, '\0')}));
        QCOMPARE(f.port->writes.size(), 1);
    }

    // Only the operation holding the link sends. A job that forgets to claim
    // it, one that has let it go, a second job while the first holds it and
    // a sender that never claimed are all refused with nothing on the line.
    void onlyTheHolderSends()
    {
        struct Careless : Job {
            using Job::Job;
            bool claimFirst = false;
            int run()
            {
                if (claimFirst && !claim())
                    return -1;
                return send(bus::transferStart());
            }
            void letGo() { release(); }
        };
        Fixture f;
        Careless forgets(f.link), careful(f.link), second(f.link);
        QVERIFY_THROWS_EXCEPTION(LinkNotHeld, forgets.run());
        QVERIFY(f.port->writes.isEmpty());

        careful.claimFirst = true;
        QVERIFY(careful.run() > 0);
        QVERIFY(careful.running());
        QCOMPARE(f.link.holder(), static_cast<const void *>(static_cast<const Job *>(&careful)));
        second.claimFirst = true;
        QCOMPARE(second.run(), -1);
        QVERIFY_THROWS_EXCEPTION(LinkNotHeld, forgets.run());
        const int stranger = 0;
        QVERIFY_THROWS_EXCEPTION(LinkNotHeld, f.link.send(&stranger, bus::transferStart()));
        QVERIFY_THROWS_EXCEPTION(LinkNotHeld, f.link.send(nullptr, bus::transferStart()));
        QCOMPARE(f.port->writes.size(), 1);

        careful.letGo();
        QVERIFY(!f.link.busy());
        careful.claimFirst = false;
        QVERIFY_THROWS_EXCEPTION(LinkNotHeld, careful.run());
        QCOMPARE(f.port->writes.size(), 1);
        QVERIFY(second.run() > 0);
        QCOMPARE(f.port->writes.size(), 2);
    }

    // An operation holds the link while its timers run, however it ends;
    // another cannot take it meanwhile, nor can the holder start again.
    void oneOperationAtATime()
    {
        VirtualClock vc;
        setTheClock(&vc);
        Fixture f;
        Timer first{100}, reply{100}, other{100};
        first.setOnTimer([&] { first.setEnabled(false); });
        reply.setOnTimer([&] { reply.setEnabled(false); });
        const int a = 0, b = 0, c = 0;
        QVERIFY(f.link.hold(&a, [&] { return first.enabled(); }));
        first.setEnabled(true);
        QVERIFY(f.link.busy());
        QCOMPARE(f.link.holder(), &a);
        QVERIFY(!f.link.hold(&b, [&] { return other.enabled(); }));
        QVERIFY(!f.link.hold(&a, [&] { return first.enabled(); }));
        QCOMPARE(f.link.holder(), &a);

        vc.advanceMs(100);  // the last tick: nothing runs any more
        QVERIFY(!f.link.busy());
        QCOMPARE(f.link.holder(), nullptr);

        QVERIFY(f.link.hold(&b, [&] { return other.enabled(); }));
        other.setEnabled(true);
        f.link.passTo(&c, [&] { return reply.enabled(); });  // the rest runs on another's timer
        other.setEnabled(false);
        reply.setEnabled(true);
        QCOMPARE(f.link.holder(), &c);
        f.link.release(&b);  // only the holder lets go
        QCOMPARE(f.link.holder(), &c);
        f.link.release(&c);
        QVERIFY(!f.link.busy());
        QVERIFY(reply.enabled());
        setTheClock(nullptr);
    }

    void sendReturnsTheWriteResultAndRefusesBadLengths()
    {
        Fixture f;
        f.port->writeResult = 3;
        QCOMPARE(sendHeld(f.link, 0x90, 2), 3);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, sendHeld(f.link, 0x90, 1));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, sendHeld(f.link, 0x90, 17));
        QCOMPARE(f.port->writes.size(), 1);
    }

    void decodeJudgesTheReply_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<int>("address");
        QTest::addColumn<QList<bool>>("results");     // of successive calls
        QTest::addColumn<QByteArray>("firstDecoded"); // frame positions filled by the first call
        QTest::addColumn<int>("position");            // read position after the last call
        const QByteArray example = hex("7B059200000000A0377D");
        const QByteArray version = hex("7B0590957D");
        QTest::newRow("read entry reply") << example << 5 << QList<bool>{true} << hex("007B059200000000A037") << 10;
        QTest::newRow("escaped data") << hex("7B05927C9B7C9C7C9D01EC7D") << 5 << QList<bool>{true}
                                      << hex("007B05927B7C7D01EC") << 12;
        QTest::newRow("check byte 7D escaped") << hex("7B05787C9D7D") << 5 << QList<bool>{true} << hex("007B05787D") << 6;
        QTest::newRow("escaped address") << hex("7B7C9B90EB7D") << 0x7B << QList<bool>{true} << hex("007B7B90EB") << 6;
        QTest::newRow("five stray bytes") << hex("FF007D7C11") + example << 5 << QList<bool>{true}
                                          << hex("007B059200000000A037") << 15;
        QTest::newRow("six stray bytes") << hex("FFFFFFFFFFFF") + example << 5 << QList<bool>{false} << QByteArray() << 5;
        QTest::newRow("other address") << hex("7B0790977D") << 8 << QList<bool>{false} << hex("007B079097") << 5;
        QTest::newRow("broken check byte") << hex("7B059200000000A0387D") << 5 << QList<bool>{false}
                                           << hex("007B059200000000A038") << 10;
        QTest::newRow("address above 255") << version << 0x105 << QList<bool>{false} << hex("007B059095") << 5;
        QTest::newRow("negative address") << hex("7BFF906F7D") << -1 << QList<bool>{false} << hex("007BFF906F") << 5;
        QTest::newRow("two frames, then none") << example + version << 5 << QList<bool>{true, true, false}
                                               << hex("007B059200000000A037") << 20;
        QTest::newRow("second frame after five bytes") << example + hex("0000000000") + version << 5
                                                       << QList<bool>{true, true} << hex("007B059200000000A037") << 20;
        QTest::newRow("second frame after six bytes") << example + hex("000000000000") + version << 5
                                                      << QList<bool>{true, false} << hex("007B059200000000A037") << 15;
        QTest::newRow("eleven data bytes") << hex("7B0590") + hex("0102030405060708090A0B") + hex("957D") << 5
                                           << QList<bool>{true} << hex("007B0590") + hex("0102030405060708090A0B95")
                                           << 16;
        QTest::newRow("twelve data bytes") << hex("7B0590") + hex("0102030405060708090A0B0C") + hex("997D") << 5
                                           << QList<bool>{false} << hex("007B0590") + hex("0102030405060708090A0B0C")
                                           << 16;
        QTest::newRow("reply cut short") << hex("7B059200") << 5 << QList<bool>{false} << hex("007B059200") + QByteArray(11, 0)
                                         << 16;
    }
    void decodeJudgesTheReply()
    {
        QFETCH(QByteArray, received);
        QFETCH(int, address);
        QFETCH(QList<bool>, results);
        QFETCH(QByteArray, firstDecoded);
        QFETCH(int, position);
        Fixture f;
        f.link.currentAddress = qint16(address);
        f.arrive(received);
        QList<bool> got;
        QByteArray first;
        for (int i = 0; i < results.size(); ++i) {
            got << f.link.decode();
            if (i == 0)
                first = f.decoded();
        }
        QCOMPARE(got, results);
        QCOMPARE(first.toHex(' '), firstDecoded.toHex(' '));
        QCOMPARE(int(f.link.readPosition), position);
    }

    void decodeNeverLeavesTheBuffer_data()
    {
        QTest::addColumn<QByteArray>("tail");   // the last bytes of the receive buffer
        QTest::addColumn<int>("start");         // read position before the call
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("position");
        QTest::newRow("frame ending on the last byte") << hex("7B0590957D") << 1019 << true << 1024;
        QTest::newRow("frame without its end byte") << hex("7B059095") << 1020 << false << 1024;
        QTest::newRow("escape marker as the last byte") << hex("7B05907C") << 1020 << false << 1024;
        QTest::newRow("stray bytes up to the end") << hex("FFFFFF") << 1021 << false << 1023;
        QTest::newRow("read position at the end") << hex("FF") << 1024 << false << 1024;
    }
    void decodeNeverLeavesTheBuffer()
    {
        QFETCH(QByteArray, tail);
        QFETCH(int, start);
        QFETCH(bool, accepted);
        QFETCH(int, position);
        Fixture f;
        f.link.currentAddress = 5;
        std::copy(tail.begin(), tail.end(), f.link.receive.end() - tail.size());
        f.link.readPosition = qint16(start);
        QCOMPARE(f.link.decode(), accepted);
        QCOMPARE(int(f.link.readPosition), position);
        QVERIFY(!f.link.decode());
        QVERIFY(f.link.readPosition <= Link::ReceiveSize);
    }

    void decodingLeavesTheRequestAlone()
    {
        Fixture f;
        f.link.currentAddress = 5;
        f.link.q(0) = 0xA0;
        sendHeld(f.link, 0x92, 3);
        const auto request = f.link.frame;
        f.arrive(hex("7B05") + hex("7C9B").repeated(14) + hex("0D7D"));
        f.link.decode();
        QCOMPARE(f.link.storedCount, qint16(16));
        QVERIFY(std::equal(request.begin() + 16, request.end(), f.link.frame.begin() + 16));
    }

    void pollOverwritesFromTheStart()
    {
        Fixture f;
        f.arrive(hex("0102030405"));
        f.link.readPosition = 4;
        f.port->incoming = hex("AABBCC");
        QCOMPARE(f.link.poll(2), 2);
        QCOMPARE(int(f.link.readPosition), 0);
        // The bytes beyond those read keep older data.
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(f.link.receive.data()), 5), hex("AABB030405"));
        QCOMPARE(f.link.poll(5000), 1);
    }

    void receiveResetClearsEverything()
    {
        Fixture f;
        f.arrive(QByteArray(Link::ReceiveSize, '\x7B'));
        f.link.readPosition = 100;
        f.link.receiveReset();
        QVERIFY(std::all_of(f.link.receive.begin(), f.link.receive.end(), [](quint8 b) { return b == 0; }));
        QCOMPARE(int(f.link.readPosition), 0);
        QCOMPARE(f.port->calls, QStringList{"purge"});
    }

    void openPortOpensOnceAndRetriesAfterFailure()
    {
        Fixture f;
        f.port->refuseOpen = true;
        QVERIFY_THROWS_EXCEPTION(Error, f.link.openPort());
        QVERIFY(!f.port->isOpen());
        f.port->refuseOpen = false;
        f.link.openPort();
        f.link.openPort();
        QCOMPARE(f.port->calls, (QStringList{"open COM1", "open COM1"}));
        QVERIFY(f.port->isOpen());
    }

    void applySettingsReachesAnOpenPort_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baudRate");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("closed port") << false << "COM2" << "19200" << QStringList{};
        QTest::newRow("nothing changed") << true << "COM1" << "9600" << QStringList{};
        QTest::newRow("line change") << true << "COM1" << "19200" << QStringList{"apply"};
        QTest::newRow("other port") << true << "COM2" << "19200" << QStringList{"close", "open COM2"};
    }
    void applySettingsReachesAnOpenPort()
    {
        QFETCH(bool, open);
        QFETCH(QString, port);
        QFETCH(QString, baudRate);
        QFETCH(QStringList, calls);
        Fixture f;
        if (open)
            f.link.openPort();
        f.port->calls.clear();
        f.port->given.clear();
        PortSettings s;
        s.port = port;
        s.baudRate = baudRate;
        f.link.applySettings(s);
        QCOMPARE(f.port->calls, calls);
        QVERIFY(f.link.settings() == s);
        for (const PortSettings &given : f.port->given)
            QVERIFY(given == s);
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
