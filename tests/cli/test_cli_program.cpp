// The tavo-cli program itself: its help and usage exit, and the real serial
// path, QSerialPort over a pseudo-terminal to the tavo-sim program.
#include "records/database.h"
#include "tests/support/table_helpers.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCliProgram : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QProcess sim;

    struct Run {
        int exitCode;
        QString out, err;
    };
    Run cli(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(TAVO_CLI_PATH), args);
        if (!p.waitForFinished(60000))
            p.kill();
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    void writeDeviceList()
    {
        Table::create(dir.path(), Database::deviceTableName(QStringLiteral("DEMO")), deviceFields());
        Table t;
        t.setDatabaseFolder(dir.path());
        t.setTableName(Database::deviceTableName(QStringLiteral("DEMO")));
        t.open();
        addRecord(t, {"1", "Vrátnice", "arch1", "1", "5", "510"});
        addRecord(t, {"2", "Sklad", "arch1", "5", "5", "510"});
        t.close();
    }

    // Starts tavo-sim on a pseudo-terminal; returns the link's path.
    QString startSim(const QByteArray &config = "device tavo-m 5\ndevice tavo-b 1\n")
    {
        const QString conf = dir.filePath(QStringLiteral("bus.conf"));
        QFile f(conf);
        if (f.open(QIODevice::WriteOnly))
            f.write(config);
        f.close();
        const QString link = dir.filePath(QStringLiteral("ttyTAVO"));
        sim.start(QStringLiteral(TAVO_SIM_PATH), {QStringLiteral("--link"), link, conf});
        if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000))
            return {};
        sim.readLine();
        return link;
    }

private slots:
    void cleanup()
    {
        sim.terminate();
        sim.waitForFinished(3000);
    }

    void helpListsTheCommandsInCzech()
    {
        const Run r = cli({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        for (const char *command : {"scan", "clock", "set-clock", "read-set", "write-set", "events", "--move-start", "--verify", "--port"})
            QVERIFY2(r.out.contains(QLatin1String(command)), command);
        QVERIFY(r.out.contains(QStringLiteral("Použití")));
    }

    void badArgumentsExitTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"format"};
        QTest::newRow("clock without device") << QStringList{"clock"};
    }
    void badArgumentsExitTwo()
    {
        QFETCH(QStringList, args);
        const Run r = cli(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains(QStringLiteral("tavo-cli --help")));
    }

    void clocksOverAPseudoTerminal()
    {
        writeDeviceList();
        const QString link = startSim();
        QVERIFY2(!link.isEmpty(), qPrintable(sim.errorString()));
        const QString trace = dir.filePath(QStringLiteral("trace.txt"));
        const Run r = cli({"clock", "--all", "--folder", dir.path(), "--port", link, "--trace", trace});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith(QStringLiteral("Vrátnice: ")) && lines[0].contains(QStringLiteral("Odchylka od PC: ")),
                 qPrintable(lines[0]));
        const int drift = lines[0].section(QStringLiteral("PC: "), 1).section(QLatin1Char(' '), 0, 0).toInt();
        QVERIFY2(qAbs(drift) <= 2, qPrintable(lines[0]));
        QCOMPARE(lines[1], QStringLiteral("Sklad: TAVO-M, bez hodin"));
        QVERIFY(QFileInfo(trace).size() > 0);
    }

    // The night's download over the real port, and a second run that reads nothing.
    void eventsOverAPseudoTerminal()
    {
        writeDeviceList();
        const QString link = startSim("device tavo-m 5\ndevice tavo-b 1\n  events 40\n");
        QVERIFY2(!link.isEmpty(), qPrintable(sim.errorString()));
        const QStringList args{"events", "--all", "--folder", dir.path(), "--port", link};
        Run r = cli(args);
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        QVERIFY2(r.out.startsWith(QStringLiteral("Vrátnice: načteno 40 událostí, poslední 40 (")), qPrintable(r.out));
        QVERIFY(r.out.endsWith(QStringLiteral("Sklad: TAVO-M, bez paměti událostí\n")));
        r = cli(args);
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        QVERIFY2(r.out.startsWith(QStringLiteral("Vrátnice: žádné nové události\n")), qPrintable(r.out));
        QDir d(dir.path());
        const QStringList files = d.entryList({QStringLiteral("Vrátnice-*.csv")});
        QVERIFY(!files.isEmpty());
        int rows = 0;
        for (const QString &f : files) {
            QFile file(d.filePath(f));
            QVERIFY(file.open(QIODevice::ReadOnly));
            rows += int(file.readAll().count('\n')) - 1;
        }
        QCOMPARE(rows, 40);
    }

    // Nobody answers at the command line: a warning about a damaged device
    // list goes to standard error and the run goes on with the records it holds.
    void aWarningGoesToStandardError()
    {
        writeDeviceList();
        QFile f(QDir(dir.path()).filePath(Database::deviceTableName(QStringLiteral("DEMO"))));
        QVERIFY(f.open(QIODevice::ReadWrite) && f.seek(4));
        QVERIFY(f.write(QByteArray("\x03\x00\x00\x00", 4)) == 4);  // the header claims 3 of the 2 records
        f.close();
        const QString link = startSim();
        QVERIFY2(!link.isEmpty(), qPrintable(sim.errorString()));
        const Run r = cli({"clock", "--all", "--folder", dir.path(), "--port", link});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        QCOMPARE(r.out.count(QLatin1Char('\n')), 2);
        QVERIFY2(r.out.endsWith(QStringLiteral("Sklad: TAVO-M, bez hodin\n")), qPrintable(r.out));
        QCOMPARE(r.err.count(QStringLiteral("Upozornění: Tabulka ")), 1);
        QVERIFY2(r.err.contains(QDir::toNativeSeparators(f.fileName()) +
                                QStringLiteral(" je poškozená: hlavička udává 3 záznamů, soubor jich obsahuje 2.")),
                 qPrintable(r.err));
    }

    void aPortThatDoesNotOpenExitsFour()
    {
        writeDeviceList();
        const Run r = cli({"clock", "--all", "--folder", dir.path(), "--port", dir.filePath(QStringLiteral("nic"))});
        QCOMPARE(r.exitCode, 4);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliProgram)
#include "test_cli_program.moc"
