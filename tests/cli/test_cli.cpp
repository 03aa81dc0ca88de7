// tavo-cli's jobs in-process on the simulated bus and virtual clock: the
// arguments, the scan, the clocks, the working-set read and the verified
// write, and the exit codes a script relies on.
#include "cli/options.h"
#include "cli/session.h"
#include "cli/watermark.h"
#include "core/clock.h"
#include "core/field_lines.h"
#include "devices/event_memory/event_list.h"
#include "devices/code_memory/entry_texts.h"
#include "records/database.h"
#include "records/working_set.h"
#include "sim/sim_bus.h"
#include "tests/support/table_helpers.h"
#include "tests/support/test_files.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace cli;

namespace {
// The program folder: the DEMO device list with these devices (name, address).
void writeDeviceList(const QString &folder, const QList<std::pair<QString, int>> &devices)
{
    Table::create(folder, Database::deviceTableName(QStringLiteral("DEMO")), deviceFields());
    Table t;
    t.setDatabaseFolder(folder);
    t.setTableName(Database::deviceTableName(QStringLiteral("DEMO")));
    t.open();
    int n = 0;
    for (const auto &[name, address] : devices)
        addRecord(t, {QString::number(++n), name, QStringLiteral("arch1"), QString::number(address),
                      QStringLiteral("5"), QStringLiteral("510")});
    t.close();
}

// The DEMO person list: code and surname of each person.
void writePersonList(const QString &folder, const QList<std::pair<QString, QString>> &persons)
{
    Table::create(folder, Database::personTableName(QStringLiteral("DEMO")), personFields());
    Table t;
    t.setDatabaseFolder(folder);
    t.setTableName(Database::personTableName(QStringLiteral("DEMO")));
    t.open();
    int n = 0;
    for (const auto &[code, surname] : persons)
        addRecord(t, {QString::number(++n), code, surname});
    t.close();
}

// The data lines of an events file, by event number; the title line must come first.
QStringList eventNumbers(const QString &file)
{
    const QList<QByteArray> lines = readFile(file).split('\n');
    QStringList numbers;
    for (int i = 1; i < lines.size(); ++i)
        if (!lines[i].isEmpty())
            numbers << QString::fromLatin1(lines[i].left(lines[i].indexOf(';')));
    return numbers;
}

QStringList range(int from, int to)
{
    QStringList l;
    for (int n = from; n <= to; ++n)
        l << QString::number(n);
    return l;
}

Options options(const QStringList &args)
{
    QString error;
    const auto o = parseArguments(args, &error);
    if (!o)
        qFatal("bad arguments in a test: %s", qPrintable(error));
    return *o;
}
} // namespace

class TestCli : public QObject {
    Q_OBJECT
    VirtualClock vc;
    std::unique_ptr<QTemporaryDir> dir;
    sim::SimBus *bus = nullptr;
    std::unique_ptr<Link> link;
    QString out, err;

    QString folder() const { return dir->path() + QLatin1Char('/'); }
    QString monthFile(const QString &name) const { return folder() + name + QStringLiteral("-2026-01.csv"); }

    void addDevice(const QString &name, int address)
    {
        Table t;
        t.setDatabaseFolder(dir->path());
        t.setTableName(Database::deviceTableName(QStringLiteral("DEMO")));
        t.open();
        addRecord(t, {QStringLiteral("9"), name, QStringLiteral("arch1"), QString::number(address)});
        t.close();
    }
    // n events at 15.01.2026 10:00 standard time, every third by an unauthorized code.
    void recordEvents(sim::TavoBDevice &b, int n)
    {
        b.setClock(QDateTime(QDate(2026, 1, 15), QTime(10, 0)));
        for (int i = 0; i < n; ++i)
            b.record(i % 3 == 2 ? 0x2222222222222222ULL : 0x1111111111111111ULL, i % 3 == 2 ? 0 : 7);
    }

    // Runs the command to its end on the virtual clock; returns its exit code.
    // Runs follow each other a second apart, as two starts of the program would.
    int run(const QStringList &args)
    {
        vc.advanceMs(1000);
        Options o = options(args);
        if (o.folder.isEmpty())
            o.folder = dir->path();
        QTextStream outStream(&out), errStream(&err);
        Session s(*link, o, outStream, errStream);
        s.start();
        if (!vc.advanceUntil([&] { return s.finished(); }, 120000, 5))
            qWarning("the command did not end");
        return s.finished() ? s.exitCode() : -1;
    }

private slots:
    void init()
    {
        setTheClock(&vc);
        vc.setWallNow(QDateTime(QDate(2026, 1, 15), QTime(12, 0)));
        dir = std::make_unique<QTemporaryDir>();
        auto port = std::make_unique<sim::SimBus>();
        bus = port.get();
        link = std::make_unique<Link>(std::move(port));
        out.clear();
        err.clear();
        writeDeviceList(dir->path(), {{QStringLiteral("Vrátnice"), 1}, {QStringLiteral("Sklad"), 5}});
    }
    void cleanup()
    {
        link.reset();
        setTheClock(nullptr);
    }

    void arguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("valid");
        QTest::newRow("scan") << QStringList{"scan"} << true;
        QTest::newRow("clock all") << QStringList{"clock", "--all"} << true;
        QTest::newRow("write verify") << QStringList{"write-set", "--device", "Sklad", "--verify", "--file", "f.csv"} << true;
        QTest::newRow("port and folder") << QStringList{"read-set", "--device", "A", "--port", "COM2", "--folder", "/x"} << true;
        QTest::newRow("no command") << QStringList{"--all"} << false;
        QTest::newRow("unknown command") << QStringList{"format", "--all"} << false;
        QTest::newRow("device and all") << QStringList{"clock", "--all", "--device", "A"} << false;
        QTest::newRow("neither device nor all") << QStringList{"set-clock"} << false;
        QTest::newRow("scan takes no device") << QStringList{"scan", "--all"} << false;
        QTest::newRow("verify only on write") << QStringList{"read-set", "--device", "A", "--verify"} << false;
        QTest::newRow("read-set of all") << QStringList{"read-set", "--all"} << false;
        QTest::newRow("value missing") << QStringList{"read-set", "--device"} << false;
        QTest::newRow("value is an option") << QStringList{"read-set", "--device", "--all"} << false;
        QTest::newRow("two commands") << QStringList{"scan", "clock"} << false;
        QTest::newRow("unknown option") << QStringList{"scan", "--fast"} << false;
    }
    void arguments()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, valid);
        QString error;
        QCOMPARE(parseArguments(args, &error).has_value(), valid);
        QCOMPARE(error.isEmpty(), valid);
    }

    void scanListsEveryTavoMWithItsVersion()
    {
        bus->addTavoM(5).setConfiguration(5, 7, 300);
        bus->addTavoM(200);
        bus->addTavoB(1);
        QCOMPARE(run({"scan"}), int(ExitOk));
        QCOMPARE(out, QStringLiteral("Síťová adresa 5  Čas relé 7  Počet kódů 300  Verze 3\n"
                                     "Síťová adresa 200  Čas relé 5  Počet kódů 510  Verze 3\n"));
    }

    void scanOfAnEmptyBusFails()
    {
        QCOMPARE(run({"scan"}), int(ExitNoAnswer));
        QVERIFY(err.contains(QStringLiteral("Nenalezeno žádné zařízení.")));
    }

    // Device standard time against the PC's local time, with the summer rule.
    void clockShowsEachReadersDrift_data()
    {
        QTest::addColumn<QDateTime>("pc");
        QTest::addColumn<int>("aheadS");
        QTest::addColumn<QString>("line");
        QTest::newRow("winter, ahead") << QDateTime(QDate(2026, 1, 15), QTime(12, 0)) << 30
                                       << QStringLiteral("Vrátnice: 15.01.2026   12:00:31  Odchylka od PC: +30 s\n");
        QTest::newRow("summer, behind") << QDateTime(QDate(2026, 7, 1), QTime(12, 0)) << -75
                                        << QStringLiteral("Vrátnice: 01.07.2026   11:58:46  Odchylka od PC: -75 s\n");
    }
    void clockShowsEachReadersDrift()
    {
        QFETCH(QDateTime, pc);
        QFETCH(int, aheadS);
        QFETCH(QString, line);
        vc.setWallNow(pc);
        const bool summer = pc.date().month() == 7;
        bus->addTavoB(1).setClock(pc.addSecs(aheadS - (summer ? 3600 : 0)));
        bus->addTavoM(5);
        QCOMPARE(run({"clock", "--all"}), int(ExitOk));
        QCOMPARE(out.section(QLatin1Char('\n'), 0, 0) + QLatin1Char('\n'), line);
        QVERIFY2(out.contains(QStringLiteral("Sklad: TAVO-M, bez hodin\n")), qPrintable(out));
        QVERIFY(err.isEmpty());
    }

    void clockOfASilentReaderFails()
    {
        bus->addTavoM(5);
        QCOMPARE(run({"clock", "--all"}), int(ExitNoAnswer));
        QVERIFY(out.startsWith(QStringLiteral("Vrátnice: Zařízení neodpovídá.\n")));
        QVERIFY(err.contains(QStringLiteral("Vrátnice: Zařízení neodpovídá.")));
    }

    void clockOfATavoMByNameFails()
    {
        bus->addTavoM(5);
        QCOMPARE(run({"clock", "--device", "Sklad"}), int(ExitFailure));
        QVERIFY(err.contains(QStringLiteral("Sklad: Zařízení není TAVO-B.")));
    }

    // The PC's summer time goes into the device as standard time, 00:xx to the day before.
    void setClockWritesStandardTime_data()
    {
        QTest::addColumn<QDateTime>("pc");
        QTest::addColumn<QDateTime>("device");
        QTest::newRow("winter") << QDateTime(QDate(2026, 1, 15), QTime(8, 5, 7)) << QDateTime(QDate(2026, 1, 15), QTime(8, 5, 7));
        QTest::newRow("summer") << QDateTime(QDate(2026, 7, 1), QTime(12, 0)) << QDateTime(QDate(2026, 7, 1), QTime(11, 0));
        QTest::newRow("summer after midnight") << QDateTime(QDate(2026, 7, 1), QTime(0, 30)) << QDateTime(QDate(2026, 6, 30), QTime(23, 30));
    }
    void setClockWritesStandardTime()
    {
        QFETCH(QDateTime, pc);
        QFETCH(QDateTime, device);
        vc.setWallNow(pc);
        auto &b = bus->addTavoB(1);
        b.setClock(QDateTime(QDate(2020, 3, 3), QTime(3, 3)));
        const QDateTime start = vc.wallNow();
        QCOMPARE(run({"set-clock", "--device", "Vrátnice"}), int(ExitOk));
        const qint64 gone = start.secsTo(vc.wallNow());
        const QDateTime held(b.clock().date(), b.clock().time());
        QVERIFY2(qAbs(held.secsTo(device.addSecs(gone))) <= 1, qPrintable(held.toString(Qt::ISODate)));
        QVERIFY2(out.contains(QStringLiteral("Odchylka od PC: 0 s")), qPrintable(out));
    }

    void readSetFillsTheFileFromTheCodeMemory()
    {
        auto &m = bus->addTavoM(5);
        m.setCode(1, 0x1122334455667788ULL);
        m.setCode(510, 0xA0B0C0D0E0F00102ULL);
        const QString file = folder() + QStringLiteral("sklad.csv");
        QCOMPARE(run({"read-set", "--device", "Sklad", "--out", file}), int(ExitOk));
        WorkingSet set;
        LoadWorkingSet(set, file);
        QCOMPARE(set.cell(1, 1), QStringLiteral("1122334455667788"));
        QCOMPARE(set.cell(1, 510), QStringLiteral("A0B0C0D0E0F00102"));
        QCOMPARE(set.cell(1, 2), QStringLiteral("0000000000000000"));
    }

    void readSetFromASilentDeviceFailsAndWritesNothing()
    {
        const QString file = folder() + QStringLiteral("sklad.csv");
        QCOMPARE(run({"read-set", "--device", "Sklad", "--out", file}), int(ExitNoAnswer));
        QVERIFY(err.contains(QStringLiteral("Sklad: Zařízení neodpovídá.")));
        QVERIFY(!QFile::exists(file));
    }

    // Written slots arrive; a slot the device changes after the write is listed.
    void writeSetVerifies_data()
    {
        QTest::addColumn<bool>("deviceChangesSlot");
        QTest::newRow("all arrive") << false;
        QTest::newRow("device changed slot 7") << true;
    }
    void writeSetVerifies()
    {
        QFETCH(bool, deviceChangesSlot);
        auto &m = bus->addTavoM(5);
        WorkingSet set;
        set.setCell(1, 1, QStringLiteral("1122334455667788"));
        set.setCell(2, 1, QStringLiteral("1000000001000000"));
        set.setCell(1, 7, QStringLiteral("00000000000000AB"));
        set.setCell(1, 510, QStringLiteral("FFEEDDCCBBAA9988"));
        const QString file = folder() + QStringLiteral("nova.csv");
        QVERIFY(SaveWorkingSet(set, file));

        Options o = options({"write-set", "--device", "Sklad", "--file", file, "--verify"});
        o.folder = dir->path();
        QTextStream outStream(&out), errStream(&err);
        Session s(*link, o, outStream, errStream);
        s.start();
        QVERIFY(vc.advanceUntil([&] { return out.contains(QStringLiteral("zapsáno 510 kódů")); }, 120000, 5));
        QCOMPARE(m.code(1), 0x1122334455667788ULL);
        QCOMPARE(flagText(quint8(m.entry(1)[8]), quint8(m.entry(1)[9])), QStringLiteral("1000000001000000"));
        QCOMPARE(m.code(510), 0xFFEEDDCCBBAA9988ULL);
        if (deviceChangesSlot)
            m.setCode(7, 0x99);
        QVERIFY(vc.advanceUntil([&] { return s.finished(); }, 120000, 5));
        QCOMPARE(s.exitCode(), deviceChangesSlot ? int(ExitDiffers) : int(ExitOk));
        QCOMPARE(out.contains(QStringLiteral("Sklad: slot 007 se liší: zapsáno 00000000000000AB 0000000000000000, "
                                             "v zařízení 0000000000000099 0000000000000000")),
                 deviceChangesSlot);
        QCOMPARE(out.count(QStringLiteral("se liší: zapsáno")), deviceChangesSlot ? 1 : 0);
    }

    // Requests 25 ms apart after each has left the line.
    void writeSetPacesItsRequests()
    {
        bus->addTavoM(5);
        const QString file = folder() + QStringLiteral("nova.csv");
        QVERIFY(SaveWorkingSet(WorkingSet(), file));
        QCOMPARE(run({"write-set", "--device", "Sklad", "--file", file}), int(ExitOk));
        const auto &w = bus->writes();
        int writes = 0;
        for (size_t i = 1; i < w.size(); ++i) {
            if (w[i - 1].bytes.size() < 10 || quint8(w[i - 1].bytes[2]) < 147 || quint8(w[i - 1].bytes[2]) > 148)
                continue;
            ++writes;
            const qint64 gap = w[i].atUs - w[i - 1].atUs;
            QVERIFY2(gap >= bus->lineTimeUs(int(w[i - 1].bytes.size())) + 25000, qPrintable(QString::number(gap)));
        }
        QCOMPARE(writes, 2 * SlotCount);
    }

    // Which events a run reads of the ring first..last after the watermark.
    void planDownload_data()
    {
        QTest::addColumn<int>("watermark");  // -1: none
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("overwritten");
        QTest::newRow("first run") << -1 << 1 << 100 << 1 << 100 << 0;
        QTest::newRow("empty memory") << -1 << 1 << 0 << 1 << 0 << 0;
        QTest::newRow("new events") << 100 << 1 << 150 << 101 << 50 << 0;
        QTest::newRow("nothing new") << 150 << 1 << 150 << 151 << 0 << 0;
        QTest::newRow("start moved past the watermark") << 150 << 151 << 180 << 151 << 30 << 0;
        QTest::newRow("ring overwrote 29") << 100 << 130 << 180 << 130 << 51 << 29;
        QTest::newRow("across the end of the ring") << 3999990 << 3999000 << 20 << 3999991 << 30 << 0;
        QTest::newRow("overwritten across the end") << 3999990 << 11 << 20 << 11 << 10 << 20;
    }
    void planDownload()
    {
        QFETCH(int, watermark);
        QFETCH(int, first);
        QFETCH(int, last);
        const DownloadPlan p = cli::planDownload(watermark < 0 ? std::nullopt : std::optional<qint32>(watermark), first, last);
        QTEST(int(p.start), "start");
        QTEST(int(p.count), "count");
        QTEST(int(p.overwritten), "overwritten");
    }

    // A night's download of two readers with surnames, then a run that finds nothing new.
    void eventsOfTwoReadersThenNothingNew()
    {
        addDevice(QStringLiteral("Brána"), 2);
        writePersonList(dir->path(), {{QStringLiteral("1111111111111111"), QStringLiteral("Novák")}});
        recordEvents(bus->addTavoB(1), 40);
        recordEvents(bus->addTavoB(2), 70);
        bus->addTavoM(5);
        QCOMPARE(run({"events", "--all"}), int(ExitOk));
        QCOMPARE(out, QStringLiteral("Vrátnice: načteno 40 událostí, poslední 40 (15.01.2026   10:00:00)\n"
                                     "Sklad: TAVO-M, bez paměti událostí\n"
                                     "Brána: načteno 70 událostí, poslední 70 (15.01.2026   10:00:00)\n"));
        QCOMPARE(eventNumbers(monthFile(QStringLiteral("Vrátnice"))), range(1, 40));
        QCOMPARE(eventNumbers(monthFile(QStringLiteral("Brána"))), range(1, 70));
        const QByteArray bytes = readFile(monthFile(QStringLiteral("Vrátnice")));
        QByteArray title;
        appendFieldLine(title, tavob::eventListTitles());
        QVERIFY(bytes.startsWith(title));
        QCOMPARE(bytes.count(title), 1);
        QVERIFY(bytes.contains(";1111111111111111;Nov\xe1k;"));
        QVERIFY(bytes.contains(";2222222222222222;nezn\xe1m\xfd;"));

        const QByteArray before = readFile(monthFile(QStringLiteral("Brána")));
        out.clear();
        QCOMPARE(run({"events", "--all"}), int(ExitOk));
        QVERIFY2(out.contains(QStringLiteral("Vrátnice: žádné nové události\n")), qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("Brána: žádné nové události\n")));
        QCOMPARE(readFile(monthFile(QStringLiteral("Brána"))), before);
    }

    // Killed while reading, and killed after an append but before the
    // watermark: the next run has every event once.
    void eventsOfAKilledRunAreNeitherLostNorDoubled()
    {
        auto &b = bus->addTavoB(1);
        recordEvents(b, 50);
        QCOMPARE(run({"events", "--device", "Vrátnice"}), int(ExitOk));
        recordEvents(b, 30);
        {
            Options o = options({"events", "--device", "Vrátnice"});
            o.folder = dir->path();
            QTextStream outStream(&out), errStream(&err);
            Session s(*link, o, outStream, errStream);
            s.start();
            vc.advanceMs(2500);
            QVERIFY(!s.finished());
        }
        const QString file = monthFile(QStringLiteral("Vrátnice"));
        QCOMPARE(eventNumbers(file), range(1, 50));
        // A save that appended and died before its watermark.
        Watermarks marks = readWatermarks(watermarkFile(folder()));
        marks[QStringLiteral("Vrátnice")].pending = {{file, QFileInfo(file).size()}};
        writeWatermarks(watermarkFile(folder()), marks);
        QFile f(file);
        QVERIFY(f.open(QIODevice::Append));
        f.write("51;half a li");
        f.close();
        vc.advanceMs(5000);
        QCOMPARE(run({"events", "--device", "Vrátnice"}), int(ExitOk));
        QCOMPARE(eventNumbers(file), range(1, 80));
    }

    // A watermark file that is not what the download writes stops the run
    // with its name and line: no event is read, no file written or cut, the
    // watermark file stays as it was.
    void aDamagedWatermarkStopsTheDownload_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("number not a number") << QByteArray("Vr\xe1tnice;abc;15.01.2026   10:00:00;\r\n");
        QTest::newRow("number beyond the ring") << QByteArray("Vr\xe1tnice;4000001;15.01.2026   10:00:00;\r\n");
        QTest::newRow("read with no event") << QByteArray("Vr\xe1tnice;0;15.01.2026   10:00:00;\r\n");
        QTest::newRow("reader twice") << QByteArray("Vr\xe1tnice;5;x;\r\nVr\xe1tnice;6;x;\r\n");
        QTest::newRow("too many fields") << QByteArray("Vr\xe1tnice;5;x;;\r\n");
        QTest::newRow("size missing") << QByteArray("Vr\xe1tnice;5;x;Vr\xe1tnice-2026-01.csv\r\n");
        QTest::newRow("another file to cut") << QByteArray("Vr\xe1tnice;5;x;@/osoby.csv|0\r\n");
    }
    void aDamagedWatermarkStopsTheDownload()
    {
        QFETCH(QByteArray, line);
        line.replace("@", dir->path().toLocal8Bit());
        recordEvents(bus->addTavoB(1), 20);
        const QString marks = watermarkFile(folder());
        QFile f(marks);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(line);
        f.close();
        QFile other(folder() + QStringLiteral("osoby.csv"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("Nov\xe1k;1111111111111111\r\n");
        other.close();
        QCOMPARE(run({"events", "--all"}), int(ExitFailure));
        QVERIFY2(err.contains(QStringLiteral("Soubor ") + marks + QStringLiteral(" je poškozený (řádek ")), qPrintable(err));
        QCOMPARE(readFile(marks), line);
        QCOMPARE(QFileInfo(other.fileName()).size(), qint64(24));
        QVERIFY(!QFile::exists(monthFile(QStringLiteral("Vrátnice"))));
        QCOMPARE(bus->requests().size(), size_t(0));
    }

    // Events go to the file of the month they show, over two runs: the first
    // reads the first batch, the second the rest, appending to a month's file
    // without a second title line.
    void eventsFollowTheMonthTheyShow_data()
    {
        QTest::addColumn<QList<QDateTime>>("batches");  // device standard time of each batch of two events
        QTest::addColumn<QStringList>("files");         // "2026-01:1,2" per file
        const auto t = [](int y, int mo, int d, int h, int mi) { return QDateTime(QDate(y, mo, d), QTime(h, mi)); };
        QTest::newRow("end of a month") << QList<QDateTime>{t(2026, 1, 31, 23, 58), t(2026, 2, 1, 0, 1)}
                                        << QStringList{"2026-01:1,2", "2026-02:3,4"};
        QTest::newRow("end of a year") << QList<QDateTime>{t(2025, 12, 31, 23, 58), t(2026, 1, 1, 0, 1)}
                                       << QStringList{"2025-12:1,2", "2026-01:3,4"};
        // 23:30 standard time on 31 August is 00:30 summer time on 1 September.
        QTest::newRow("summer hour into the next month") << QList<QDateTime>{t(2026, 8, 31, 22, 0), t(2026, 8, 31, 23, 30)}
                                                         << QStringList{"2026-08:1,2", "2026-09:3,4"};
        // A clock set a month ahead by mistake and then put right.
        QTest::newRow("clock set back")
            << QList<QDateTime>{t(2026, 1, 20, 8, 0), t(2026, 1, 20, 8, 30), t(2026, 2, 20, 8, 0), t(2026, 1, 20, 9, 0)}
            << QStringList{"2026-01:1,2,3,4,7,8", "2026-02:5,6"};
    }
    void eventsFollowTheMonthTheyShow()
    {
        QFETCH(QList<QDateTime>, batches);
        QFETCH(QStringList, files);
        auto &b = bus->addTavoB(1);
        for (int i = 0; i < batches.size(); ++i) {
            b.setClock(batches[i]);
            b.record(0x1111111111111111ULL, 7);
            b.record(0x1111111111111111ULL, 7);
            if (i == 0)
                QCOMPARE(run({"events", "--device", "Vrátnice"}), int(ExitOk));
        }
        QCOMPARE(run({"events", "--device", "Vrátnice"}), int(ExitOk));
        QByteArray title;
        appendFieldLine(title, tavob::eventListTitles());
        for (const QString &f : files) {
            const QString file = folder() + QStringLiteral("Vrátnice-") + f.section(QLatin1Char(':'), 0, 0) + QStringLiteral(".csv");
            QCOMPARE(eventNumbers(file), f.section(QLatin1Char(':'), 1).split(QLatin1Char(',')));
            QCOMPARE(readFile(file).count(title), 1);
        }
        QDir d(dir->path(), QStringLiteral("Vrátnice-*.csv"));
        QCOMPARE(d.entryList().size(), files.size());
    }

    void eventsOverwrittenByTheRingAreCounted()
    {
        auto &b = bus->addTavoB(1);
        recordEvents(b, 100);
        QCOMPARE(run({"events", "--device", "Vrátnice"}), int(ExitOk));
        recordEvents(b, 80);
        b.setRange(130, 180);
        QCOMPARE(run({"events", "--device", "Vrátnice"}), int(ExitOk));
        QCOMPARE(err, QStringLiteral("Vrátnice: 29 událostí bylo přepsáno před načtením\n"));
        QCOMPARE(eventNumbers(monthFile(QStringLiteral("Vrátnice"))), range(1, 100) + range(130, 180));
    }

    // More than 100,000 new events come in two pieces, the first saved with
    // its watermark before the second is read.
    void eventsInPiecesOf100000()
    {
        auto &b = bus->addTavoB(1);
        recordEvents(b, 100040);
        Options o = options({"events", "--device", "Vrátnice"});
        o.folder = dir->path();
        QTextStream outStream(&out), errStream(&err);
        Session s(*link, o, outStream, errStream);
        s.start();
        const auto lastRead = [this] { return readWatermarks(watermarkFile(folder())).value(QStringLiteral("Vrátnice")).lastEvent; };
        QVERIFY(vc.advanceUntil([&] { return lastRead() == 100000; }, 10000000, 1000));
        QVERIFY(!s.finished());
        QVERIFY(vc.advanceUntil([&] { return s.finished(); }, 1000000, 5));
        QCOMPARE(s.exitCode(), int(ExitOk));
        QCOMPARE(out, QStringLiteral("Vrátnice: načteno 100040 událostí, poslední 100040 (15.01.2026   10:00:00)\n"));
        QCOMPARE(eventNumbers(monthFile(QStringLiteral("Vrátnice"))), range(1, 100040));
        QCOMPARE(lastRead(), 100040);
    }

    // The folder of the events files is made when it is not there yet.
    void eventsMakeTheirFolder()
    {
        recordEvents(bus->addTavoB(1), 3);
        const QString outDir = dir->filePath(QStringLiteral("udalosti/2026"));
        QCOMPARE(run({"events", "--device", "Vrátnice", "--out", outDir}), int(ExitOk));
        QCOMPARE(eventNumbers(outDir + QStringLiteral("/Vrátnice-2026-01.csv")), range(1, 3));
    }

    // The start moves only once the file is written.
    void moveStartAfterASafeSave_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::newRow("file written") << true;
        QTest::newRow("file cannot be written") << false;
    }
    void moveStartAfterASafeSave()
    {
        QFETCH(bool, writable);
        auto &b = bus->addTavoB(1);
        recordEvents(b, 40);
        // A folder in the month file's place: the events are read, their save fails.
        if (!writable)
            QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("Vrátnice-2026-01.csv")));
        QCOMPARE(run({"events", "--device", "Vrátnice", "--move-start", "--out", dir->path()}), writable ? int(ExitOk) : int(ExitFailure));
        QCOMPARE(b.firstEvent(), writable ? qint64(41) : qint64(1));
        QCOMPARE(b.lastEvent(), qint64(40));
        QCOMPARE(out.contains(QStringLiteral("Vrátnice: začátek přesunut na 41")), writable);
        if (writable) {
            recordEvents(b, 5);
            QCOMPARE(run({"events", "--device", "Vrátnice", "--move-start"}), int(ExitOk));
            QCOMPARE(eventNumbers(monthFile(QStringLiteral("Vrátnice"))), range(1, 45));
            QVERIFY(err.isEmpty());
        } else {
            QVERIFY(bus->requests().size() > 3);
            QVERIFY2(err.contains(QStringLiteral("Vrátnice-2026-01.csv nelze zapsat")), qPrintable(err));
            QVERIFY(readWatermarks(watermarkFile(folder())).value(QStringLiteral("Vrátnice")).dateTime.isEmpty());
        }
    }

    void failuresEndWithTheirExitCode_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("portFails");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("port does not open") << QStringList{"scan"} << true << int(ExitPort)
                                            << QStringLiteral("Unable to open com port (win error code: 2)");
        QTest::newRow("device not on the list") << QStringList{"clock", "--device", "Kotelna"} << false << int(ExitFailure)
                                                << QStringLiteral("Zařízení Kotelna není v seznamu zařízení.");
        QTest::newRow("file to write missing") << QStringList{"write-set", "--device", "Sklad", "--file", "/nic/x.csv"}
                                               << false << int(ExitFailure) << QStringLiteral("Soubor /nic/x.csv neexistuje.");
        QTest::newRow("program folder missing") << QStringList{"scan", "--folder", "/nic/tavo"} << false << int(ExitFailure)
                                                << QStringLiteral("Složka programu /nic/tavo/ neexistuje.");
        QTest::newRow("events folder cannot be made") << QStringList{"events", "--all", "--out", "/proc/tavo"} << false
                                                      << int(ExitFailure) << QStringLiteral("Složku /proc/tavo nelze vytvořit.");
        QTest::newRow("silent reader") << QStringList{"events", "--device", "Vrátnice"} << false << int(ExitNoAnswer)
                                       << QStringLiteral("Vrátnice: Zařízení neodpovídá.");
    }
    void failuresEndWithTheirExitCode()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, portFails);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        bus->setOpenFails(portFails);
        QCOMPARE(run(args), exitCode);
        QCOMPARE(err.trimmed(), message);
    }

    // A port that goes away in the middle of a reading: the port's code, not
    // a silent device's, and the events read so far are not taken as done.
    // A warning the operator service gave before (a damaged device list)
    // leaves the run's own error reporting in place.
    void aPortLostWhileReadingEndsWithThePortsCode_data()
    {
        QTest::addColumn<bool>("damagedList");
        QTest::newRow("sound device list") << false;
        QTest::newRow("device list warned of") << true;
    }
    void aPortLostWhileReadingEndsWithThePortsCode()
    {
        QFETCH(bool, damagedList);
        if (damagedList) {
            QFile f(QDir(dir->path()).filePath(Database::deviceTableName(QStringLiteral("DEMO"))));
            QVERIFY(f.open(QIODevice::ReadWrite) && f.seek(4));
            QVERIFY(f.write(QByteArray("\x03\x00\x00\x00", 4)) == 4);  // the header claims 3 of the 2 records
        }
        recordEvents(bus->addTavoB(1), 200);
        Options o = options({"events", "--device", "Vrátnice"});
        o.folder = dir->path();
        QTextStream outStream(&out), errStream(&err);
        Session s(*link, o, outStream, errStream);
        s.start();
        QVERIFY(vc.advanceUntil([&] { return bus->requests().size() > 6; }, 60000, 5));
        bus->close();
        QVERIFY(vc.advanceUntil([&] { return s.finished(); }, 60000, 5));
        QCOMPARE(s.exitCode(), int(ExitPort));
        QVERIFY2(err.contains(QStringLiteral("Vrátnice: Přenos nebyl dokončen.")), qPrintable(err));
        QVERIFY(err.contains(QStringLiteral("ReadFile function failed (win error code: 6)")));
        QVERIFY(readWatermarks(watermarkFile(folder())).value(QStringLiteral("Vrátnice")).dateTime.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
