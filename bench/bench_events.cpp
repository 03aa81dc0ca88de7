// Figures of the event reading and the event list:
// - 1,000 events read from tavo-sim over a real pseudo-terminal at 9600 baud
//   (QSerialPort, the real clock), beside the protocol's own time: per block
//   one poll cycle of 100 ms and the 1600 ms wait, plus the line time of every
//   request sent (the replies travel while the waits run);
// - the whole program (every window, on a simulated bus) with a reading of
//   100,000 events in its list: the time to decode a block and append its
//   rows (goal 5 ms), and the program's resident memory with the list shown
//   (goal 80 MB);
// - the surnames of those 100,000 events filled from a person list of 10,000
//   (goal 1 s).

#include "bench/bench_support.h"
#include "bench/timed_port.h"
#include "app/program.h"
#include "app/tform1.h"
#include "core/cp1250.h"
#include "devices/event_memory/event_format.h"
#include "devices/event_memory/tform13.h"
#include "devices/event_memory/tform15.h"
#include "devices/event_memory/tform16.h"
#include "link/link.h"
#include "link/qt_serial_port.h"
#include "records/database.h"
#include "records/tform7.h"
#include "records/user_settings.h"
#include "sim/sim_bus.h"
#include "ui/operator.h"
#include "ui/text_grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace bench;

namespace {
constexpr int Events = 1000;
constexpr int ListEvents = 100000;
constexpr int Persons = 10000;

// Answers every message at once and keeps the last text.
class QuietOperator : public Operator {
public:
    QString last;
    int messageBox(const QString &, const QString &text, int) override
    {
        last = text;
        return IDOK;
    }
    QString openFileName(const FileDialogRequest &) override { return QString(); }
    QString saveFileName(const FileDialogRequest &) override { return QString(); }
    bool printSetup(QPrinter &) override { return false; }
};

// 1,000 events from a TAVO-B on tavo-sim, through the reading window alone.
bool readOverPty()
{
    QTemporaryDir dir;
    QProcess sim;
    const QString pty = startSimulator(
        sim, dir.path(), "baud 9600\ndevice tavo-b 255\n  range 1 0\n  events " + QByteArray::number(Events) + "\n");
    if (pty.isEmpty())
        return false;
    std::printf("tavo-sim on %s, %d baud\n", qPrintable(pty), Baud);
    {
        Database db;
        auto *port = new TimedPort;
        Link link{std::unique_ptr<SerialPort>(port)};
        PortSettings s;
        s.port = pty;
        link.applySettings(s);
        link.openPort();
        TForm13 form13(EventReadingContext{link, db, [] {}, [] { return QStringLiteral("TAVO-B"); }});
        TForm15 form15(form13.reading);
        TForm16 form16(form13.events);
        form13.form15 = &form15;
        form13.form16 = &form16;
        form13.Image1Click();
        runUntil([&] { return !form13.operationRunning(); });
        std::printf("range %s .. %s\n", qPrintable(form13.Edit4->text()), qPrintable(form13.Edit5->text()));
        port->lineTimeUs = 0;
        const qint64 t0 = theClock().nowUs();
        form13.Image4Click();
        runUntil([&] { return !form15.transfer.running(); });
        const int blocks = (Events + 31) / 32;
        const qint64 protocol = port->lineTimeUs + blocks * (100000 + 1600000);
        const qint64 measured = port->lastWriteEndUs - t0;
        std::printf("read: %d rows, last %s, %d blocks\n", form13.NextRow - 1,
                    qPrintable(form13.events.cell(0, form13.events.rowCount() - 1)), blocks);
        report("reading 1,000 events (s)", measured / 1e6, protocol * 1.02 / 1e6, "s ", measured <= protocol * 1.02);
        std::printf("  protocol's own time %.3f s, measured %+.2f %%\n", protocol / 1e6,
                    100.0 * double(measured - protocol) / double(protocol));
    }
    sim.terminate();
    sim.waitForFinished(3000);
    return true;
}

// The person list written straight to its file: persons 0 .. 9,999.
void writePersons(const QString &file)
{
    const QList<FieldDef> fields = personFields();
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite))
        qFatal("cannot write the person list");
    QByteArray bytes = f.readAll();
    bytes.chop(1);
    for (int n = 0; n < Persons; ++n) {
        const QStringList values{QString::number(n), keyCode(quint64(n)), QStringLiteral("Dvořák") + QString::number(n)};
        QByteArray r(1, ' ');
        for (int i = 0; i < fields.size(); ++i)
            r += toCp1250(values.value(i)).left(fields[i].width).leftJustified(fields[i].width, ' ');
        bytes += r;
    }
    bytes += char(0x1A);
    qToLittleEndian(quint32(Persons), bytes.data() + 4);
    f.seek(0);
    f.write(bytes);
}

// One block of records: codes of persons and of nobody, a few unauthorized.
BlockTransfer::Block makeBlock(int b)
{
    BlockTransfer::Block block;
    for (int i = 0; i < BlockEntries; ++i) {
        const int n = b * BlockEntries + i;
        const QString code = keyCode(quint64(n % 3 == 0 ? Persons + n : n % Persons));
        auto &bytes = block[size_t(i)].bytes;
        for (int k = 0; k < 8; ++k)
            bytes[size_t(k)] = quint8(code.mid(2 * k, 2).toUInt(nullptr, 16));
        const int position = n % 50 == 0 ? 0 : n % 500 + 1;
        const quint8 tail[8] = {quint8(position >> 4), quint8(position << 4), 0x24, 0x07, 0x15, 0x10, 0x21, 0x33};
        std::copy(tail, tail + 8, bytes.begin() + 8);
        block[size_t(i)].firstAccepted = block[size_t(i)].secondAccepted = true;
    }
    return block;
}

// The whole program with a list of 100,000 events: decoding, memory, surnames.
void fullList()
{
    QTemporaryDir dir;
    auto write = [&](const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    };
    write("TAVO-konfig.txt", toCp1250(QStringLiteral("Pozice;Kód;Příznaky;Příjmení;;;;;;\r\nSlot;Kód;Příznaky;;;;;;;\r\n"
                                                     "Č.;Kód;Příjmení;Jméno;Oddělení;Telefon;P1;P2;P3;\r\n"
                                                     "Č.;Název;Archiv;Adresa;Relé;Kódů;;;;\r\n"))
                                 + passwordValue(QString()).toLatin1() + ";;;;;;;;;\r\n");
    write("TAVO-oprogramu.txt", "TAVO\r\n");
    write("TAVO-napoveda.txt", "TAVO\r\n");
    const double before = residentKb() / 1024.0;
    auto bus = std::make_unique<sim::SimBus>();
    Program program(dir.filePath(QStringLiteral("tavo")), std::move(bus));
    TForm1 &f = *program.form1();
    f.show();
    program.window<TForm7>()->Edit1->setText(QString());
    program.window<TForm7>()->Button1Click();
    f.db.closeTables();
    writePersons(f.db.Table2.filePath());
    f.db.openTables();
    QCoreApplication::processEvents();
    const double started = residentKb() / 1024.0;
    std::printf("program started, %d persons\n", f.db.Table2.recordCount());

    TForm13 &form13 = *program.window<TForm13>();
    form13.show();
    form13.EventCount = ListEvents;
    form13.RangeFirst = 1;
    form13.NextRow = 1;
    form13.DeviceLast = ListEvents + 1000;
    form13.events.setRowCount(1);
    QList<BlockTransfer::Block> blocks;
    for (int b = 0; b < ListEvents / BlockEntries; ++b)
        blocks << makeBlock(b);
    QList<double> times;
    qint32 event = 1;
    for (const BlockTransfer::Block &block : blocks) {
        QElapsedTimer t;
        t.start();
        // The rows of a block as the reading job makes them, then the window's part.
        QList<QStringList> rows;
        for (const BlockTransfer::Entry &entry : block)
            rows << tavob::eventRow(event++, entry.bytes.data(), entry.firstAccepted, true);
        form13.takeRows(rows);
        const double ms = double(t.nsecsElapsed()) / 1e6;
        times << ms;
        QCoreApplication::processEvents();
    }
    form13.StringGrid1->scrollToBottom();
    QCoreApplication::processEvents();
    const double full = residentKb() / 1024.0;
    std::printf("list: %d rows; resident %.1f MB before the program, %.1f MB started, %.1f MB with the list\n",
                form13.events.rowCount() - 1, before, started, full);
    std::sort(times.begin(), times.end());
    double totalMs = 0;
    for (double ms : times)
        totalMs += ms;
    const double meanMs = totalMs / times.size(), p99Ms = times[times.size() * 99 / 100], worstMs = times.last();
    report("a block decoded and appended, mean (ms)", meanMs, 5, "ms", meanMs < 5);
    report("a block decoded and appended, 99th percentile (ms)", p99Ms, 5, "ms", p99Ms < 5);
    report("a block decoded and appended, worst (ms)", worstMs, 5, "ms", worstMs < 5);
    std::printf("  blocks over 5 ms: %d of %d (the machine's load: %s)\n",
                int(std::count_if(times.begin(), times.end(), [](double ms) { return ms >= 5; })), int(times.size()),
                loadAverage().constData());
    report("the program with 100,000 events (MB)", full, 80, "MB", full < 80);
    std::printf("  the list's own share %.1f MB\n", full - started);

    QuietOperator quiet;
    setOperator(&quiet);
    double best = 1e9, worst = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer t;
        t.start();
        form13.Image2Click();
        const double s = double(t.nsecsElapsed()) / 1e9;
        best = std::min(best, s);
        worst = std::max(worst, s);
    }
    std::printf("fill: %s\n", qPrintable(quiet.last));
    report("fill surnames, 100,000 events, best (s)", best, 1, "s ", best < 1);
    report("fill surnames, 100,000 events, worst (s)", worst, 1, "s ", worst < 1);
    setOperator(nullptr);
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpFonts();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const bool list = argc < 2 || QByteArray(argv[1]) != "pty";
    const bool pty = argc < 2 || QByteArray(argv[1]) != "list";
    if (list)
        fullList();
    if (pty && !readOverPty())
        return 1;
    return 0;
}
