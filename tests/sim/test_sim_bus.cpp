// The simulated bus: several devices on one line, the faults, and the line
// timing on the virtual clock.
#include "tests/sim/sim_fixture.h"
#include "tests/sim/sim_test_frames.h"
#include "core/error.h"

#include <QtTest>

using namespace sim;

class TestSimBus : public QObject {
    Q_OBJECT
    SimFixture f;

    // Microseconds that n bytes take at the baud rate, 10 bits each, rounded up.
    static qint64 lineUs(qint64 n, qint64 baud) { return (n * 10000000 + baud - 1) / baud; }
    void setBaud(int baud)
    {
        PortSettings s;
        s.baudRate = QStringLiteral("Custom");
        s.customBaudRate = baud;
        f.bus->apply(s);
    }
    static const QByteArray &versionRequest()
    {
        static const QByteArray r = hex("7B 05 90 95 7D");
        return r;
    }

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }

    void eachDeviceAnswersItsOwnAddress()
    {
        TavoMDevice &factory = f.bus->addTavoM(255);
        TavoMDevice &seven = f.bus->addTavoM(7);
        TavoBDevice &b = f.bus->addTavoB(1);
        factory.setVersion(4);
        seven.setVersion(9);
        b.setRange(1, 100);
        QCOMPARE(f.ask(frame(255, 0x90)), frame(255, 0x90, hex("04")));
        QCOMPARE(f.ask(frame(7, 0x90)), frame(7, 0x90, hex("09")));
        QCOMPARE(f.ask(frame(1, 0x92, hex("00000000 A4"))), frame(1, 0x92, hex("00000200 00000830")));
        QVERIFY(f.ask(frame(1, 0x90)).isEmpty());
        QVERIFY(f.ask(frame(8, 0x90)).isEmpty());
        QCOMPARE(f.bus->device<TavoMDevice>(7), &seven);
        QCOMPARE(f.bus->device<TavoBDevice>(1), &b);
        QVERIFY(!f.bus->device<TavoBDevice>(7));

        const auto &log = f.bus->requests();
        QCOMPARE(int(log.size()), 5);
        QCOMPARE(log[2].request.address, quint8(1));
        QCOMPARE(log[2].request.command, quint8(0x92));
        QCOMPARE(log[2].request.data, hex("00000000 A4"));
        QCOMPARE(f.bus->writtenBytes(), frame(255, 0x90) + frame(7, 0x90) + frame(1, 0x92, hex("00000000 A4")) +
                                            frame(1, 0x90) + frame(8, 0x90));
    }

    void faults_data()
    {
        QTest::addColumn<bool>("noReply");
        QTest::addColumn<bool>("badCheck");
        QTest::addColumn<int>("stray");
        QTest::addColumn<int>("otherAddress");
        QTest::addColumn<int>("onlyCommand");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("none") << false << false << 0 << -1 << -1 << hex("7B 05 90 03 96 7D");
        QTest::newRow("no reply") << true << false << 0 << -1 << -1 << QByteArray();
        QTest::newRow("broken check byte") << false << true << 0 << -1 << -1 << hex("7B 05 90 03 69 7D");
        QTest::newRow("three stray bytes") << false << false << 3 << -1 << -1 << hex("FF FF FF 7B 05 90 03 96 7D");
        QTest::newRow("from another address") << false << false << 0 << 9 << -1 << hex("7B 09 90 03 9A 7D");
        QTest::newRow("every fault") << true << true << 5 << 9 << -1 << QByteArray();
        QTest::newRow("faults of another command") << true << true << 5 << 9 << 0x92 << hex("7B 05 90 03 96 7D");
        QTest::newRow("faults of this command") << false << true << 2 << 9 << 0x90 << hex("FF FF 7B 09 90 03 65 7D");
    }
    void faults()
    {
        QFETCH(bool, noReply);
        QFETCH(bool, badCheck);
        QFETCH(int, stray);
        QFETCH(int, otherAddress);
        QFETCH(int, onlyCommand);
        QFETCH(QByteArray, reply);
        TavoMDevice &m = f.bus->addTavoM(5);
        m.faults() = SimFaults{noReply, badCheck, stray, otherAddress, 0, -1, onlyCommand};
        QCOMPARE(f.ask(versionRequest()).toHex(' '), reply.toHex(' '));
        QCOMPARE(int(f.bus->requests().size()), 1);  // the device got the request all the same
    }

    void droppedFrameOfABlock()
    {
        TavoMDevice &m = f.bus->addTavoM(5);
        for (int e = 0; e < 32; ++e)
            m.setCode(e + 32, quint64(e));
        m.faults().dropFrame = 6;  // entry 35, bytes 0..7
        const QList<QByteArray> frames = replyData(f.ask(frame(5, 0x95, hex("00000200 A0")), 1600), 5, 0x95);
        QCOMPARE(frames.size(), 63);
        QCOMPARE(frames[5], m.entry(34).mid(8));
        QCOMPARE(frames[6], m.entry(35).mid(8));
        QCOMPARE(frames[7], m.entry(36).left(8));
    }

    void lateReply()
    {
        TavoMDevice &m = f.bus->addTavoM(5);
        m.faults().delayMs = 150;
        QVERIFY(f.ask(versionRequest(), 100).isEmpty());
        f.vc.advanceMs(70);
        QCOMPARE(f.readAll(), hex("7B 05 90 03 96 7D"));
    }

    // The request's bytes take their line time, the device answers after the
    // turnaround, and the reply is complete only when its last byte is due.
    void replyArrivesAtTheLineRate_data()
    {
        QTest::addColumn<int>("baud");
        QTest::newRow("1200") << 1200;
        QTest::newRow("9600") << 9600;
        QTest::newRow("19200") << 19200;
        QTest::newRow("115200") << 115200;
    }
    void replyArrivesAtTheLineRate()
    {
        QFETCH(int, baud);
        f.bus->addTavoM(5);
        setBaud(baud);
        const QByteArray request = hex("7B 05 92 00 00 00 00 A0 37 7D");
        const qint64 t0 = f.vc.nowUs();
        f.send(request);
        QCOMPARE(f.vc.nowUs(), t0);
        const qint64 delivered = t0 + lineUs(request.size(), baud);
        const qint64 last = delivered + SimBus::TurnaroundUs + lineUs(13, baud);

        f.vc.advanceUs(delivered - 1 - t0);
        QVERIFY(f.bus->requests().empty());
        f.vc.advanceUs(1);
        QCOMPARE(f.bus->requests().at(0).atUs, delivered);
        QCOMPARE(f.bus->bytesInFlight(), 13);

        f.vc.advanceUs(last - 1000 - f.vc.nowUs());
        const QByteArray early = f.readAll();
        QVERIFY(early.size() < 13);
        f.vc.advanceUs(last - f.vc.nowUs());
        const QByteArray reply = early + f.readAll();
        QCOMPARE(reply, hex("7B 05 92 05 05 1F F0 00 00 00 00 78 7D"));
    }

    void blockTakesAboutNineTenthsOfASecondAt9600()
    {
        f.bus->addTavoM(255);
        f.send(frame(255, 0x95, hex("00000200 A0")));
        f.vc.advanceMs(850);
        const QByteArray early = f.readAll();
        QVERIFY(early.size() < 64 * 13);
        f.vc.advanceMs(50);
        const QList<QByteArray> frames = replyData(early + f.readAll(), 255, 0x95);
        QCOMPARE(frames, QList<QByteArray>(64, QByteArray(8, '\0')));
    }

    void writesQueueOnTheLineAndRepliesDoNotOverlap()
    {
        f.bus->addTavoM(5);
        f.bus->addTavoM(6);
        const QByteArray a = frame(5, 0x90), b = frame(6, 0x90);
        const qint64 t0 = f.vc.nowUs();
        f.send(a);
        f.send(b);
        f.vc.advanceMs(100);
        const auto &log = f.bus->requests();
        QCOMPARE(int(log.size()), 2);
        QCOMPARE(log[0].atUs, t0 + lineUs(a.size(), 9600));
        QCOMPARE(log[1].atUs, log[0].atUs + lineUs(b.size(), 9600));
        QCOMPARE(f.readAll(), frame(5, 0x90, hex("03")) + frame(6, 0x90, hex("03")));
    }

    void requestSplitAcrossWritesAndNoiseBetween()
    {
        f.bus->addTavoM(5);
        f.send(hex("00 FF 7B 05 92 00 00"));
        f.vc.advanceMs(5);
        f.send(hex("00 00 A0 37 7D 55"));
        f.vc.advanceMs(100);
        QCOMPARE(replyData(f.readAll(), 5, 0x92), QList<QByteArray>{hex("05051FF000000000")});
        // A frame cut off by a new start is dropped, the new one is taken.
        f.send(hex("7B 05 92 00 7B 05 90 95 7D"));
        f.vc.advanceMs(100);
        QCOMPARE(f.readAll(), hex("7B 05 90 03 96 7D"));
        QCOMPARE(f.bus->rejectedFrames(), 1);
    }

    void readAndPurgeTakeOnlyWhatHasArrived()
    {
        f.bus->addTavoM(5);
        f.send(versionRequest());
        f.vc.advanceUs(lineUs(5, 9600) + SimBus::TurnaroundUs + lineUs(3, 9600));
        char two[2];
        QCOMPARE(f.bus->read(two, 2), 2);
        QCOMPARE(QByteArray(two, 2), hex("7B 05"));
        QCOMPARE(f.readAll(), hex("90"));
        f.vc.advanceUs(lineUs(1, 9600));
        f.bus->purge();
        QCOMPARE(f.readAll(), QByteArray());
        f.vc.advanceMs(10);
        QCOMPARE(f.readAll(), hex("96 7D"));  // was still on the line
    }

    void portOpenAndClosed()
    {
        f.bus->addTavoM(5);
        f.send(versionRequest());
        f.vc.advanceMs(8);
        f.bus->close();
        QVERIFY(!f.bus->isOpen());
        char c;
        QVERIFY_THROWS_EXCEPTION(Error, f.bus->read(&c, 1));
        QVERIFY_THROWS_EXCEPTION(Error, f.bus->write("x", 1));
        QVERIFY_THROWS_EXCEPTION(Error, f.bus->purge());
        f.bus->setOpenFails(true);
        QVERIFY_THROWS_EXCEPTION(Error, f.bus->open(PortSettings{}));
        QVERIFY(!f.bus->isOpen());
        f.bus->setOpenFails(false);
        f.bus->open(PortSettings{});
        f.vc.advanceMs(100);
        QCOMPARE(f.readAll(), QByteArray());  // the reply under way was lost with the close
        QCOMPARE(f.ask(versionRequest()), hex("7B 05 90 03 96 7D"));
    }

    void busGoneBeforeItsRequestArrives()
    {
        f.bus->addTavoM(5);
        f.send(versionRequest());
        f.bus.reset();
        f.vc.advanceMs(100);
        QVERIFY(f.vc.idle());
    }
};

QTEST_GUILESS_MAIN(TestSimBus)
#include "test_sim_bus.moc"
