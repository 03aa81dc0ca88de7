// The byte trace: turned on by the TraceFile key, one line per request and per
// read that brought bytes; storing the settings keeps the operator's key.
#include "tests/support/held_link.h"
#include "link/link.h"
#include "link/port_ini.h"
#include "tests/link/fake_port.h"
#include "tests/support/test_files.h"

#include <QTemporaryDir>
#include <QtTest>

class TestByteTrace : public QObject {
    Q_OBJECT
private slots:
    void requestsAndRepliesAreTraced()
    {
        QTemporaryDir dir;
        auto port = std::make_unique<FakePort>();
        FakePort *fake = port.get();
        Link link(std::move(port));
        PortSettings s;
        s.traceFile = dir.filePath(QStringLiteral("trace.txt"));
        link.applySettings(s);
        link.openPort();
        link.currentAddress = 5;
        link.q(4) = 0xA0;
        sendHeld(link, 0x92, 7);
        link.poll(20);  // nothing arrived: no line
        fake->incoming = QByteArray::fromHex("7B05920000000000A0377D");
        link.poll(20);
        const QList<QByteArray> lines = readFile(s.traceFile).split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].endsWith("PC-> 7B 05 92 00 00 00 00 A0 37 7D\r"));
        QVERIFY(lines[1].endsWith("<-DEV 7B 05 92 00 00 00 00 00 A0 37 7D\r"));
        QCOMPARE(lines[0].indexOf(" PC->"), 23);  // after "yyyy-MM-dd HH:mm:ss.zzz"

        s.traceFile.clear();
        link.applySettings(s);
        sendHeld(link, 0x92, 7);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("trace.txt"))).count('\n'), 2);
    }

    void theKeyComesFromTheSettingsFileAndStays()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("TAVO-port.ini"));
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[ComPort1]\r\nPort=COM2\r\ntracefile=/tmp/tavo-trace.txt\r\n");
        f.close();
        PortSettings s;
        loadPortSettings(ini, s);
        QCOMPARE(s.traceFile, QStringLiteral("/tmp/tavo-trace.txt"));
        storePortSettings(ini, s);
        QVERIFY(readFile(ini).contains("tracefile=/tmp/tavo-trace.txt\r\n"));
    }
};

QTEST_MAIN(TestByteTrace)
#include "test_byte_trace.moc"
