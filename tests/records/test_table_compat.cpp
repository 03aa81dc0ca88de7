// Tables the engine writes open right in dBase readers no one here wrote
// (GDAL's ogrinfo, Python's dbf), and tables those tools make open right in
// the engine.

#include "records/table.h"
#include "core/codepage.h"
#include "tests/support/table_helpers.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QStringList Names{"Žluťoučký kůň", "Řehoř Šťastný", "Ďáblová Ňadra"};

// The first python3 that has the dbf module (Debian's python3-dbf), or "".
QString pythonWithDbf()
{
    for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        const QString exe = QStandardPaths::findExecutable(candidate);
        if (!exe.isEmpty() && QProcess::execute(exe, {"-c", "import dbf"}) == 0)
            return exe;
    }
    return QString();
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("SHAPE_ENCODING");  // GDAL then goes by the table's language driver
    env.insert("PYTHONIOENCODING", "utf-8");
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The OS2 values of the live records as Python's dbf reads them.
const char *PythonReadNames = R"(
import dbf, sys
t = dbf.Table(sys.argv[1])
t.open()
print(t.codepage)
for r in t:
    if not dbf.is_deleted(r):
        print(r['os2'].rstrip())
)";

const char *PythonMakeTable = R"(
import dbf, sys
t = dbf.Table(sys.argv[1], 'OS1 C(16); OS2 C(20)', dbf_type='db3', codepage='cp1250')
t.open(dbf.READ_WRITE)
for i, name in enumerate(sys.argv[2:]):
    t.append(('%04d' % i, name))
dbf.delete(t[1])
t.close()
)";

// A cp852 table with a memo field; each record's memo is its name twice.
const char *PythonMakeMemoTable = R"(
import dbf, sys
t = dbf.Table(sys.argv[1], 'OS1 C(16); OS2 C(20); POZN M', dbf_type='db3', codepage=sys.argv[2])
t.open(dbf.READ_WRITE)
for i, name in enumerate(sys.argv[3:]):
    t.append(('%04d' % i, name, name + '\r\n' + name))
t.close()
)";

// Every live record as "OS2|POZN".
const char *PythonReadMemos = R"(
import dbf, sys
t = dbf.Table(sys.argv[1])
t.open()
print(t.codepage)
for r in t:
    if not dbf.is_deleted(r):
        print(r['os2'].rstrip() + '|' + r['pozn'].replace('\r\n', '/'))
)";

QStringList ogrValues(const QString &output, const QString &field)
{
    QStringList values;
    const QString prefix = "  " + field + " (String) = ";
    for (const QString &line : output.split('\n'))
        if (line.startsWith(prefix))
            values << line.mid(prefix.size());
    return values;
}

void setByte(const QString &path, qint64 pos, char value)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(pos));
    QVERIFY(f.write(&value, 1) == 1);
}
} // namespace

class TestTableCompat : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> tmp;

    // An engine table of the names, the second one deleted.
    void writeEngineTable()
    {
        Table::create(tmp->path(), "osoby", {{"OS1", 'C', 16, 0}, {"OS2", 'C', 20, 0}});
        Table t;
        t.setDatabaseFolder(tmp->path());
        t.setTableName("osoby");
        t.open();
        for (const QString &n : Names) {
            t.append();
            t.setFieldText(0, QString::number(n.size()));
            t.setFieldText(1, n);
            t.post();
        }
        t.moveTo(1);
        t.deleteRecord();
    }

    QStringList engineNames(const QString &name)
    {
        Table t;
        t.setDatabaseFolder(tmp->path());
        t.setTableName(name);
        t.open();
        QStringList out;
        for (t.first(); !t.eof(); t.next())
            out << t.fieldText(t.fieldIndex("OS2"));
        return out;
    }

private slots:
    void init()
    {
        tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp->isValid());
    }

    void engineTableReadByOgrinfo()
    {
        const QString ogrinfo = QStandardPaths::findExecutable("ogrinfo");
        if (ogrinfo.isEmpty())
            QSKIP("ogrinfo (gdal-bin) is not installed");
        writeEngineTable();
        const Run r = run(ogrinfo, {"-ro", "-al", "-q", tmp->filePath("osoby.DBF")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(ogrValues(r.out, "OS2"), (QStringList{Names[0], Names[2]}));
    }

    // A cp852 table, declared by its language driver or by a .cpg file, that
    // the engine fills: its bytes are cp852, and GDAL reads every letter right.
    void engineCp852TableReadByOgrinfo_data()
    {
        QTest::addColumn<char>("driver");
        QTest::addColumn<QByteArray>("cpg");
        QTest::newRow("driver 0x64") << char(0x64) << QByteArray();
        QTest::newRow("driver 0x1F") << char(0x1F) << QByteArray();
        QTest::newRow(".cpg 852 over driver 0xC8") << char(0xC8) << QByteArray("852");
    }

    void engineCp852TableReadByOgrinfo()
    {
        QFETCH(char, driver);
        QFETCH(QByteArray, cpg);
        const QString ogrinfo = QStandardPaths::findExecutable("ogrinfo");
        if (ogrinfo.isEmpty())
            QSKIP("ogrinfo (gdal-bin) is not installed");
        Table::create(tmp->path(), "dos", {{"OS1", 'C', 16, 0}, {"OS2", 'C', 20, 0}});
        setByte(tmp->filePath("dos.DBF"), 29, driver);
        if (!cpg.isEmpty()) {
            QFile f(tmp->filePath("dos.cpg"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(cpg);
        }
        {
            Table t;
            t.setDatabaseFolder(tmp->path());
            t.setTableName("dos");
            t.open();
            for (const QString &n : Names) {
                t.append();
                t.setFieldText(0, QString::number(n.size()));
                t.setFieldText(1, n);
                t.post();
            }
        }
        QFile f(tmp->filePath("dos.DBF"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        for (const QString &n : Names)
            QVERIFY2(bytes.contains(CodePage::byName("IBM852")->encode(n)), qPrintable(n));
        const Run r = run(ogrinfo, {"-ro", "-al", "-q", f.fileName()});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(ogrValues(r.out, "OS2"), Names);
    }

    void engineTableReadByPythonDbf()
    {
        const QString python = pythonWithDbf();
        if (python.isEmpty())
            QSKIP("Python's dbf module (python3-dbf) is not installed");
        writeEngineTable();
        const Run r = run(python, {"-c", PythonReadNames, tmp->filePath("osoby.DBF")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.value(0).startsWith("cp1250"), qPrintable(lines.value(0)));
        QCOMPARE(lines.mid(1), (QStringList{Names[0], Names[2]}));
    }

    void pythonDbfTablesReadByEngine_data()
    {
        QTest::addColumn<int>("driver");  // written over the tool's; -1 keeps it
        QTest::newRow("driver 0xC8") << -1;
        QTest::newRow("driver 0x57 over Windows-1250 bytes") << 0x57;
        QTest::newRow("no driver") << 0x00;
    }
    void pythonDbfTablesReadByEngine()
    {
        QFETCH(int, driver);
        const QString python = pythonWithDbf();
        if (python.isEmpty())
            QSKIP("Python's dbf module (python3-dbf) is not installed");
        const QString path = tmp->filePath("nastroj.dbf");
        const Run made = run(python, QStringList{"-c", PythonMakeTable, path} + Names);
        QVERIFY2(made.exitCode == 0, qPrintable(made.err));
        if (driver >= 0)
            setByte(path, 29, char(driver));
        QCOMPARE(engineNames("nastroj"), (QStringList{Names[0], Names[2]}));

        // A record the engine adds is there for the tool too.
        Table t;
        t.setDatabaseFolder(tmp->path());
        t.setTableName("nastroj.DBF");
        t.open();
        t.append();
        t.setFieldText(1, "Čestmír Říha");
        t.post();
        t.close();
        setByte(path, 29, char(0xC8));
        const Run read = run(python, {"-c", PythonReadNames, path});
        QVERIFY2(read.exitCode == 0, qPrintable(read.err));
        QCOMPARE(read.out.split('\n', Qt::SkipEmptyParts).mid(1), (QStringList{Names[0], Names[2], "Čestmír Říha"}));
    }

    void pythonDbfMemoTablesReadEditedAndReadBack_data()
    {
        QTest::addColumn<QString>("codepage");
        QTest::newRow("cp852") << "cp852";
        QTest::newRow("cp1250") << "cp1250";
    }
    // Every letter and memo kept: the engine reads the tool's table, edits a
    // name and appends a record, and the tool reads all of it back.
    void pythonDbfMemoTablesReadEditedAndReadBack()
    {
        QFETCH(QString, codepage);
        const QString python = pythonWithDbf();
        if (python.isEmpty())
            QSKIP("Python's dbf module (python3-dbf) is not installed");
        const QString path = tmp->filePath("memo.dbf");
        const Run made = run(python, QStringList{"-c", PythonMakeMemoTable, path, codepage} + Names);
        QVERIFY2(made.exitCode == 0, qPrintable(made.err));

        Table t;
        t.setDatabaseFolder(tmp->path());
        t.setTableName("memo");
        t.open();
        QCOMPARE(t.recordCount(), 3);
        for (int p = 0; p < 3; ++p)
            QCOMPARE(t.textAt(p, 2), Names[p] + "\r\n" + Names[p]);
        t.moveTo(1);
        t.edit();
        t.setFieldText(1, "Čestmír Říha");
        t.post();
        addRecord(t, {"0009", "Ďábel Ňuf"});
        t.close();

        const Run read = run(python, {"-c", PythonReadMemos, path});
        QVERIFY2(read.exitCode == 0, qPrintable(read.err));
        const QStringList lines = read.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.value(0).startsWith(codepage), qPrintable(lines.value(0)));
        QCOMPARE(lines.mid(1), (QStringList{Names[0] + "|" + Names[0] + "/" + Names[0],
                                            "Čestmír Říha|" + Names[1] + "/" + Names[1],
                                            Names[2] + "|" + Names[2] + "/" + Names[2], "Ďábel Ňuf|"}));
    }

    void ogr2ogrTableReadByEngine()
    {
        const QString ogr2ogr = QStandardPaths::findExecutable("ogr2ogr");
        if (ogr2ogr.isEmpty())
            QSKIP("ogr2ogr (gdal-bin) is not installed");
        QFile csv(tmp->filePath("in.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(("OS1,OS2\n0001," + Names[0] + "\n0002," + Names[1] + "\n").toUtf8());
        csv.close();
        const QString out = tmp->filePath("gdal.dbf");
        const Run r = run(ogr2ogr, {"-f", "ESRI Shapefile", out, csv.fileName(), "-lco", "ENCODING=CP1250"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(engineNames("gdal"), (QStringList{Names[0], Names[1]}));
    }
};

QTEST_GUILESS_MAIN(TestTableCompat)
#include "test_table_compat.moc"
