// The real serial path: QSerialPort talks to the tavo-sim program over a
// pseudo-terminal.
#include <QElapsedTimer>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

class TestTavoSim : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QProcess sim;

    QString writeConfig()
    {
        const QString name = dir.filePath(QStringLiteral("bus.conf"));
        QFile f(name);
        if (f.open(QIODevice::WriteOnly))
            f.write("device tavo-m 5\n"
                    "  code 1 1122334455667788 1000000001000000\n"
                    "device tavo-b 1\n"
                    "  events 100\n");
        return name;
    }
    // Reads until the end bytes of that many frames have come, or the port stays quiet for long.
    static QByteArray readFrames(QSerialPort &port, int frames)
    {
        QByteArray reply;
        while (reply.count('\x7D') < frames && port.waitForReadyRead(3000))
            reply += port.readAll();
        return reply;
    }

private slots:
    void cleanup()
    {
        sim.terminate();
        sim.waitForFinished(3000);
    }

    void readEntryOverAPseudoTerminal()
    {
        const QString link = dir.filePath(QStringLiteral("ttyTAVO"));
        const QString trace = dir.filePath(QStringLiteral("trace.txt"));
        sim.start(QStringLiteral(TAVO_SIM_PATH), {QStringLiteral("--link"), link, QStringLiteral("--trace"), trace, writeConfig()});
        QVERIFY2(sim.waitForStarted(5000), qPrintable(sim.errorString()));
        QVERIFY(sim.waitForReadyRead(5000));
        const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(path.startsWith(QLatin1String("/dev/")), qPrintable(path));
        QCOMPARE(QFileInfo(link).symLinkTarget(), path);

        QSerialPort port(link);
        port.setBaudRate(9600);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        port.setFlowControl(QSerialPort::NoFlowControl);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));

        // read entry at 16 (slot 1) of the code memory of device 5
        port.write(QByteArray::fromHex("7B 05 92 00 00 00 10 A0 27 7D"));
        QVERIFY(port.waitForBytesWritten(3000));
        QCOMPARE(readFrames(port, 1).toHex(' '), QByteArray("7b 05 92 11 22 33 44 55 66 77 88 1f 7d"));

        // the newest event's block from device 1: 64 frames
        port.write(QByteArray::fromHex("7B 01 95 00 00 00 10 A4 20 7D"));
        QVERIFY(port.waitForBytesWritten(3000));
        const QByteArray block = readFrames(port, 64);
        QCOMPARE(block.count('\x7D'), 64);
        QVERIFY(block.endsWith(QByteArray::fromHex("7B 01 95 FF FF FF FF FF FF FF FF 94 7D")));
        port.close();

        sim.terminate();
        QVERIFY(sim.waitForFinished(3000));
        QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
        QFile t(trace);
        QVERIFY(t.open(QIODevice::ReadOnly));
        const QByteArray lines = t.readAll();
        QVERIFY(lines.contains(" to-devices 7B 05 92 00 00 00 10 A0 27 7D\n"));
        QVERIFY(lines.contains(" to-pc 7B 05 92 11 22 33 44 55 66 77 88 1F 7D\n"));
    }
};

QTEST_GUILESS_MAIN(TestTavoSim)
#include "test_tavo_sim.moc"
