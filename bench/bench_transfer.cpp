// Figures of the working-set write, the working-set read and a full network
// scan over a real pseudo-terminal: tavo-sim serves two TAVO-M readers, the
// program talks through its own port (QSerialPort) at 9600 baud on the real
// clock. Each is printed beside the protocol's own time at that rate: the line
// time of every request sent plus the fixed waits (the timers' intervals and
// the 25 ms pacing). Replies travel while those waits run, so they add nothing.

#include "bench/bench_support.h"
#include "bench/timed_port.h"
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/tform2.h"
#include "devices/code_memory/tform3.h"
#include "devices/code_memory/tform4.h"
#include "link/link.h"
#include "link/qt_serial_port.h"
#include "records/database.h"
#include "records/working_set.h"
#include "core/clock.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

using namespace bench;

namespace {

// The goal: within 2 % of the protocol's own time.
void report(const char *what, qint64 measuredUs, qint64 protocolUs)
{
    const double over = 100.0 * double(measuredUs - protocolUs) / double(protocolUs);
    std::printf("%-34s %9.3f s   protocol %9.3f s   %+6.2f %%  %s\n", what, measuredUs / 1e6, protocolUs / 1e6, over,
                over <= 2.0 ? "within 2 %" : "MORE than 2 % over");
}

struct Bench {
    QTemporaryDir dir;
    Database db;
    TimedPort *port = new TimedPort;
    Link link{std::unique_ptr<SerialPort>(port)};
    CodeMemory cm{link, db};
    TForm2 form2{cm};
    TForm3 form3{cm};
    TForm4 form4{cm, {}};

    explicit Bench(const QString &pty)
    {
        db.programFolder = dir.path() + QLatin1Char('/');
        db.databaseFolder = dir.path();
        db.Table1.setTableName(QStringLiteral("arch1"));
        db.Table2.setTableName(QStringLiteral("DEMOosoby"));
        db.Table3.setTableName(QStringLiteral("DEMOzarizeni"));
        db.openTables();
        cm.showConfiguration = [this](const QString &heading, const std::optional<DeviceConfig> &device) {
            form3.showValues(heading, device);
        };
        cm.showDetected = [this] { form4.show(); };
        PortSettings s;
        s.port = pty;
        link.applySettings(s);
    }
    ~Bench() { db.closeTables(); }

    // Random codes and flags in every slot, escapes on the line included.
    void fillWorkingSet()
    {
        QRandomGenerator rng(21);
        for (int e = 1; e <= SlotCount; ++e) {
            db.workingSet.setCell(1, e, QStringLiteral("%1").arg(rng.generate64(), 16, 16, QLatin1Char('0')).toUpper());
            db.workingSet.setCell(2, e, QStringLiteral("%1").arg(rng.bounded(65536), 16, 2, QLatin1Char('0')));
        }
    }

    void write()
    {
        fillWorkingSet();
        port->writes.clear();
        port->writeExcessUs = 0;
        const qint64 t0 = theClock().nowUs();
        form2.ZapisTabulkyDoPameti1Click();
        runUntil([&] { return !form2.isVisible() && !form2.operationRunning(); }, 20);
        // transfer start polled once, 25 ms before each of 1020 requests and the configuration, Timer1
        const qint64 protocol = port->requestLineUs() + 100000 + 1021 * 25000 + 100000;
        std::printf("write: %d requests of 148, %d of 147\n", port->count(148), port->count(147));
        report("working-set write (1020 requests)", port->lastReadUs - t0, protocol);
        std::printf("  the port's writes took %.1f ms beyond their line time\n", port->writeExcessUs / 1e3);
    }

    void read()
    {
        const QStringList written = [&] {
            QStringList w;
            for (int e = 1; e <= SlotCount; ++e)
                w << db.workingSet.cell(1, e) + db.workingSet.cell(2, e);
            return w;
        }();
        port->writes.clear();
        port->writeExcessUs = 0;
        const qint64 t0 = theClock().nowUs();
        form2.CteniTabulkyZpameti1Click();
        runUntil([&] { return !form2.isVisible(); }, 20);
        // per block: transfer start polled once (100 ms), the block read 1600 ms later
        const qint64 protocol = port->requestLineUs() + 16 * (100000 + 1600000);
        int same = 0;
        for (int e = 1; e <= SlotCount; ++e)
            same += db.workingSet.cell(1, e) + db.workingSet.cell(2, e) == written[e - 1];
        std::printf("read: %d of 510 slots as written\n", same);
        report("working-set read (16 blocks)", port->lastWriteEndUs - t0, protocol);
    }

    void scan()
    {
        port->writes.clear();
        port->writeExcessUs = 0;
        const qint64 t0 = theClock().nowUs();
        form2.DetekceSite1Click();
        runUntil([&] { return !form2.isVisible(); }, 20);
        const qint64 protocol = port->requestLineUs() + qint64(port->count(146) + port->count(144)) * 70000;
        std::printf("scan: %d addresses asked, %d devices found\n", port->count(146), cm.detectedCount);
        report("network scan (256 addresses)", port->lastReadUs - t0, protocol);
    }
};
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir dir;
    QProcess sim;
    const QString pty = startSimulator(sim, dir.path(), "baud 9600\ndevice tavo-m 255\ndevice tavo-m 3\n  relay-time 9\n");
    if (pty.isEmpty())
        return 1;
    std::printf("tavo-sim on %s, %d baud\n", qPrintable(pty), Baud);
    {
        Bench b(pty);
        b.write();
        b.read();
        b.scan();
    }
    sim.terminate();
    sim.waitForFinished(3000);
    return 0;
}
