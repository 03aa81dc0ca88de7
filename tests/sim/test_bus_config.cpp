// tavo-sim's pieces without the terminal: the bus configuration and the byte trace.
#include "sim/bus_config.h"
#include "sim/line_trace.h"
#include "core/clock.h"
#include "core/error.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace sim;

class TestBusConfig : public QObject {
    Q_OBJECT
    VirtualClock vc;

    static QDateTime standard(const char *iso)
    {
        const QDateTime t = QDateTime::fromString(QLatin1String(iso), Qt::ISODate);
        return QDateTime(t.date(), t.time(), Qt::UTC);
    }

private slots:
    void init() { setTheClock(&vc); }
    void cleanup() { setTheClock(nullptr); }

    void devicesAsDescribed()
    {
        SimBus bus;
        const BusConfig config = loadBusConfig(QStringLiteral(R"(
# two readers
baud 19200
device tavo-m 255
  relay-time 0        # toggle
  code-count 100
  version 7
  code 1 00000012345678AB 1000000000000001
  code 510 7B7C7D0000000001
  last-code 0000000000000001
  last-code 0000000000000002
  fault stray 2
  fault only-command 144
device tavo-b 1
  events 40
  clock 2008-07-15T09:00:00
  range 3999990 3999989
  identification 0123456789abcdef
  card absent
  fault drop-frame 3
)"),
                                               bus, standard("2030-01-01T00:00:00"));
        QCOMPARE(config.baud, 19200);
        QCOMPARE(int(bus.devices().size()), 2);

        TavoMDevice *m = bus.device<TavoMDevice>(255);
        QVERIFY(m);
        QCOMPARE(m->relayTime(), quint8(0));
        QCOMPARE(m->codeCount(), 100);
        QCOMPARE(m->version(), quint8(7));
        QCOMPARE(m->code(1), 0x00000012345678ABull);
        QCOMPARE(m->flags(1), quint16(0x8001));
        QCOMPARE(m->code(510), 0x7B7C7D0000000001ull);
        QCOMPARE(m->flags(510), quint16(0));
        QCOMPARE(m->lastCodes(), (QList<quint64>{2, 1}));
        QCOMPARE(m->faults().strayBytes, 2);
        QCOMPARE(m->faults().onlyCommand, 144);

        TavoBDevice *b = bus.device<TavoBDevice>(1);
        QVERIFY(b);
        // the events come after the range and end a minute before the clock
        QCOMPARE(b->firstEvent(), 3999990);
        QCOMPARE(b->lastEvent(), 29);
        QCOMPARE(b->eventCount(), 40);
        const TavoBDevice::Record newest = b->event(29);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(&newest[10]), 6).toHex(), QByteArray("080715085900"));
        QCOMPARE(b->identification().toHex(), QByteArray("0123456789abcdef"));
        QCOMPARE(b->faults().dropFrame, 3);
        QCOMPARE(b->clockBytes().toHex(), QByteArray("0000080715090000"));
    }

    void clockDefaultsToTheGivenTime()
    {
        SimBus bus;
        loadBusConfig(QStringLiteral("device tavo-b 3\n"), bus, standard("2030-01-02T03:04:05"));
        QCOMPARE(bus.device<TavoBDevice>(3)->clockBytes().toHex(), QByteArray("0000300102030405"));
    }

    void unpreparedHeader()
    {
        SimBus bus;
        loadBusConfig(QStringLiteral("device tavo-b 1\nrange 0 5000000\nevents 10\n"), bus);
        const TavoBDevice *b = bus.device<TavoBDevice>(1);
        QCOMPARE(b->firstEvent(), 0);
        QCOMPARE(b->lastEvent(), 5000000);
        QVERIFY(!b->rangeValid());
        QCOMPARE(b->eventCount(), 0);
    }

    void demoConfigurationLoads()
    {
        QFile f(QStringLiteral(TAVO_SOURCE_DIR "/sim/demo-bus.conf"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        SimBus bus;
        loadBusConfig(QString::fromUtf8(f.readAll()), bus);
        QVERIFY(bus.device<TavoMDevice>(255));
        QVERIFY(bus.device<TavoBDevice>(1));
        QVERIFY(bus.device<TavoBDevice>(1)->eventCount() >= 1000);
    }

    void errorsNameTheLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown statement") << "device tavo-m 5\nsing 3" << "line 2: 'sing' is not a statement of a TAVO-M";
        QTest::newRow("statement of the other kind") << "device tavo-m 5\nevents 3" << "line 2: 'events' is not a statement of a TAVO-M";
        QTest::newRow("outside a device") << "# none yet\n\ncode 1 0000000000000001" << "line 3: 'code' outside a device";
        QTest::newRow("fault outside a device") << "fault no-reply" << "line 1: 'fault' outside a device";
        QTest::newRow("address too big") << "device tavo-b 256" << "line 1: '256' is not a number from 0 to 255";
        QTest::newRow("unknown kind") << "device tavo-x 1" << "line 1: 'tavo-x' is not tavo-m or tavo-b";
        QTest::newRow("short code") << "device tavo-m 1\ncode 1 12AB" << "line 2: '12AB' is not 16 hexadecimal digits";
        QTest::newRow("slot 0") << "device tavo-m 1\ncode 0 0000000000000001" << "line 2: '0' is not a number from 1 to 510";
        QTest::newRow("flags") << "device tavo-m 1\ncode 1 0000000000000001 102" << "line 2: '102' is not 16 flags of 0 and 1";
        QTest::newRow("missing word") << "device tavo-m 1\nversion" << "line 2: wrong number of words for 'version'";
        QTest::newRow("unknown fault") << "device tavo-m 1\nfault loud" << "line 2: 'loud' is not a fault";
        QTest::newRow("bad clock") << "device tavo-b 1\nclock 2008-13-01T00:00:00"
                                   << "line 2: '2008-13-01T00:00:00' is not a date and time YYYY-MM-DDTHH:MM:SS";
        QTest::newRow("baud zero") << "baud 0" << "line 1: '0' is not a number from 1 to 4000000";
    }
    void errorsNameTheLine()
    {
        QFETCH(QString, text);
        QFETCH(QString, error);
        SimBus bus;
        try {
            loadBusConfig(text, bus);
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.text(), error);
        }
    }

    void traceHasOneLinePerFrame()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("trace.txt"));
        {
            LineTrace t(name);
            t.add(1500, LineTrace::ToDevices, QByteArray::fromHex("7B0592"));
            t.add(2000, LineTrace::ToDevices, QByteArray::fromHex("0000 0000 A0377D 7B05"));
            t.add(12417000, LineTrace::ToPc, QByteArray::fromHex("FFFF7B05"));
            t.add(12418000, LineTrace::ToPc, QByteArray::fromHex("9003967D"));
        }
        QFile f(name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLatin1(f.readAll()),
                 QStringLiteral("0.001500 to-devices 7B 05 92 00 00 00 00 A0 37 7D\n"
                                "0.002000 to-devices 7B 05\n"
                                "12.417000 to-pc FF FF 7B 05 90 03 96 7D\n"));
    }
};

QTEST_GUILESS_MAIN(TestBusConfig)
#include "test_bus_config.moc"
