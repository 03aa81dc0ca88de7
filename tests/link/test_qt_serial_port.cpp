// The real port over a pseudo-terminal: the test holds the other end.
#include "tests/support/held_link.h"
#include "link/link.h"
#include "link/qt_serial_port.h"
#include "tests/support/test_files.h"
#include "core/error.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {
// The far end of a pseudo-terminal, the way a device (or tavo-sim) holds it.
struct FarEnd {
    int master = -1;
    QString path;

    FarEnd()
    {
        int slave = -1;
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            path = QString::fromLocal8Bit(name);
            ::close(slave);
            fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~FarEnd() { hangUp(); }
    void hangUp()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void send(const QByteArray &bytes) const { QCOMPARE(::write(master, bytes.constData(), bytes.size()), bytes.size()); }
    QByteArray take() const
    {
        char buf[4096];
        const ssize_t n = ::read(master, buf, sizeof buf);
        return n > 0 ? QByteArray(buf, int(n)) : QByteArray();
    }
};

PortSettings settingsFor(const QString &port, const QString &baudRate = QStringLiteral("9600"))
{
    PortSettings s;
    s.port = port;
    s.baudRate = baudRate;
    return s;
}

// Reads in pieces of at most maxCount until count bytes have come (or 5 s have passed).
QByteArray collect(QtSerialPort &port, int count, int maxCount)
{
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (got.size() < count && clock.elapsed() < 5000) {
        char buf[64];
        const int n = port.read(buf, maxCount);
        if (n > maxCount)
            return QByteArray("(read more than asked)");
        got.append(buf, n);
        if (n == 0)
            QTest::qWait(1);
    }
    return got;
}

// Polls the way a window timer does, until a poll brings something (or 5 s have passed).
int pollUntilSome(Link &link, int maxCount)
{
    QElapsedTimer clock;
    clock.start();
    int n = 0;
    while ((n = link.poll(maxCount)) == 0 && clock.elapsed() < 5000)
        QTest::qWait(1);
    return n;
}

const QRegularExpression OpenError(QStringLiteral("^Unable to open com port \\(win error code: [1-9][0-9]*\\)$"));
}  // namespace

class TestQtSerialPort : public QObject {
    Q_OBJECT
private slots:
    void portNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("device");
        QTest::newRow("COM1") << "COM1" << "/dev/ttyS0";
        QTest::newRow("com12") << "com12" << "/dev/ttyS11";
        QTest::newRow("COM0") << "COM0" << "COM0";
        QTest::newRow("path") << "/dev/ttyUSB0" << "/dev/ttyUSB0";
    }
    void portNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, device);
        QCOMPARE(QtSerialPort::systemLocation(name), device);
    }

    void opensAPathOrALinkToIt_data()
    {
        QTest::addColumn<bool>("viaLink");
        QTest::newRow("path") << false;
        QTest::newRow("symbolic link") << true;
    }
    void opensAPathOrALinkToIt()
    {
        QFETCH(bool, viaLink);
        FarEnd far;
        QVERIFY(!far.path.isEmpty());
        QTemporaryDir dir;
        const QString link = dir.filePath("reader");
        QVERIFY(QFile::link(far.path, link));
        QtSerialPort port;
        port.open(settingsFor(viaLink ? link : far.path));
        QVERIFY(port.isOpen());
        QCOMPARE(port.write("\x7B\x05\x90\x95\x7D", 5), 5);
        QCOMPARE(far.take(), QByteArray("\x7B\x05\x90\x95\x7D"));
    }

    void openIsForThisPortAlone()
    {
        FarEnd far;
        QtSerialPort first;
        first.open(settingsFor(far.path));
        QtSerialPort second;
        QVERIFY(errorOf([&] { second.open(settingsFor(far.path)); }).contains(OpenError));
        QVERIFY(!second.isOpen());
        QVERIFY(first.isOpen());
    }

    void lineSettingsRejectedLeaveThePortClosed()
    {
        FarEnd far;
        QtSerialPort port;
        PortSettings s = settingsFor(far.path);
        s.stopBits = "1.5";
        QVERIFY(errorOf([&] { port.open(s); })
                    .contains(QRegularExpression("^SetCommState function failed \\(win error code: [1-9][0-9]*\\)$")));
        QVERIFY(!port.isOpen());
        port.open(settingsFor(far.path));
        QVERIFY(port.isOpen());
    }

    void writeBlocksForTheLineTime()
    {
        FarEnd far;
        QtSerialPort port;
        port.open(settingsFor(far.path, "2400"));
        const QByteArray frame(48, 'x');  // 200 ms at 2400 baud, 10 bits a byte
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(port.write(frame.constData(), frame.size()), frame.size());
        QVERIFY2(clock.nsecsElapsed() >= 200'000'000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(far.take(), frame);
    }

    void readTakesWhatHasArrived()
    {
        FarEnd far;
        QtSerialPort port;
        port.open(settingsFor(far.path));
        char buf[16];
        QCOMPARE(port.read(buf, sizeof buf), 0);
        far.send(QByteArray("\x7B\x05\x90\x95\x7D\x00\x7B", 7));
        QCOMPARE(collect(port, 7, 3), QByteArray("\x7B\x05\x90\x95\x7D\x00\x7B", 7));
        QCOMPARE(port.read(buf, sizeof buf), 0);
    }

    void purgeDiscardsWhatHasArrived()
    {
        FarEnd far;
        QtSerialPort port;
        port.open(settingsFor(far.path));
        far.send("abcdef");
        QCOMPARE(collect(port, 1, 1), QByteArray("a"));
        port.purge();
        char buf[16];
        QCOMPARE(port.read(buf, sizeof buf), 0);
    }

    void linkTalksOverThePort()
    {
        FarEnd far;
        Link link(std::make_unique<QtSerialPort>());
        link.applySettings(settingsFor(far.path));
        link.openPort();
        link.receiveReset();
        link.currentAddress = 5;
        link.q(4) = 0xA0;
        sendHeld(link, 0x92, 7);
        QCOMPARE(far.take(), QByteArray::fromHex("7B059200000000A0377D"));
        far.send(QByteArray::fromHex("7B059201020304050607089F7D"));
        QCOMPARE(pollUntilSome(link, 20), 13);
        QVERIFY(link.decode());
        QCOMPARE(int(link.r(7)), 8);
    }

    void closedPortRaisesThePortErrors()
    {
        QtSerialPort port;
        char buf[4];
        QCOMPARE(errorOf([&] { port.read(buf, 4); }), QString("ReadFile function failed (win error code: 9)"));
        QCOMPARE(errorOf([&] { port.write(buf, 4); }), QString("WriteFile function failed (win error code: 9)"));
        QCOMPARE(errorOf([&] { port.purge(); }), QString("PurgeComm function failed (win error code: 9)"));
        QVERIFY(errorOf([&] { port.open(settingsFor("/dev/no-such-port")); }).contains(OpenError));
    }

    // The device going away ends the running operation with the port error;
    // the port is closed, so the next operation reports that it cannot open it.
    void farEndClosingDuringAnOperation_data()
    {
        QTest::addColumn<bool>("writing");
        QTest::addColumn<QString>("failure");
        QTest::newRow("read") << false << "ReadFile function failed (win error code: 5)";
        QTest::newRow("write") << true << "WriteFile function failed (win error code: 5)";
    }
    void farEndClosingDuringAnOperation()
    {
        QFETCH(bool, writing);
        QFETCH(QString, failure);
        FarEnd far;
        QtSerialPort port;
        port.open(settingsFor(far.path));
        far.hangUp();
        char buf[16] = {};
        const auto operation = [&] { writing ? port.write(buf, 4) : port.read(buf, sizeof buf); };
        QCOMPARE(errorOf(operation), failure);
        QVERIFY(!port.isOpen());
        QCOMPARE(errorOf(operation), failure);
        QVERIFY(errorOf([&] { port.open(settingsFor(far.path)); }).contains(OpenError));
    }

    // Between operations the event loop sees the loss first: the port is
    // closed there, not polled in a busy loop, and the next read fails.
    void farEndClosingBetweenOperations()
    {
        FarEnd far;
        QtSerialPort port;
        port.open(settingsFor(far.path));
        far.hangUp();
        QTRY_VERIFY(!port.isOpen());
        char buf[16];
        QCOMPARE(errorOf([&] { port.write(buf, 1); }), QString("WriteFile function failed (win error code: 5)"));
        QVERIFY(errorOf([&] { port.open(settingsFor(far.path)); }).contains(OpenError));
    }
};

QTEST_GUILESS_MAIN(TestQtSerialPort)
#include "test_qt_serial_port.moc"
