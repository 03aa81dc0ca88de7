// The table engine: its file format, its operations and their failures.

#include "records/table.h"
#include "tests/records/dbf_fixture.h"
#include "tests/records/file_size_limit.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/table_helpers.h"
#include "tests/support/test_files.h"
#include "core/error.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include "records/file_lock.h"
#include <QStringEncoder>

namespace {
const QList<FieldDef> PersonFields = {
    {"OS0", 'C', 10, 0}, {"OS1", 'C', 16, 0}, {"OS2", 'C', 20, 0}, {"OS3", 'N', 5, 0},
};

QByteArray encoded(const char *page, const QString &text)
{
    QStringEncoder enc(page);
    return enc.encode(text);
}

// A dBase III table with a memo field and its .DBT: record 1 points at block 1,
// record 2 has no memo.
void writeMemoTable(const QString &dbf, const QString &dbt)
{
    Fixture f;
    f.version = 0x83;
    f.fields = {{"OS1", 'C', 4}, {"POZN", 'M', 10}};
    f.records = {f.record(' ', {"0001", "         1"}), f.record(' ', {"0002", "          "})};
    f.write(dbf);
    QByteArray memo(512, '\0');
    qToLittleEndian(quint32(2), memo.data());
    memo[16] = 0x03;
    QByteArray text = encoded("windows-1250", "Klíč od účtárny\r\nvrácen") + "\x1A\x1A";
    memo += text.leftJustified(512, '\0');
    QFile out(dbt);
    out.open(QIODevice::WriteOnly);
    out.write(memo);
}

Fixture personFixture()
{
    Fixture f;
    f.fields = {{"OS1", 'C', 4}, {"OS2", 'C', 12}};
    return f;
}
} // namespace

class TestTable : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> tmp;
    QString folder() const { return tmp->path(); }
    QString path(const QString &file) const { return tmp->filePath(file); }

    void openTable(Table &t, const QString &name, bool exclusive = false)
    {
        t.setDatabaseFolder(folder());
        t.setTableName(name);
        t.setExclusive(exclusive);
        t.open();
    }
    void createPersons(const QString &name, const QList<QStringList> &rows)
    {
        Table::create(folder(), name, PersonFields);
        Table t;
        openTable(t, name);
        for (const QStringList &r : rows)
            addRecord(t, r);
    }

    // One copy of a table filled record by record, the other by appendRecords;
    // each way stops at the first record that cannot be stored, as an import does.
    struct BothWays {
        QString oneByOne, bulk;
        QByteArray fileOf(const QString &p) const
        {
            QByteArray b = readAll(p);
            b.replace(1, 3, QByteArray(3, '\0'));  // the date of last update
            return b;
        }
    };
    QString fillOneByOne(Table &t, const QList<QStringList> &rows)
    {
        for (const QStringList &r : rows) {
            const QString error = errorOf([&] { addRecord(t, r); });
            if (!error.isEmpty()) {
                t.cancel();
                return error;
            }
        }
        return {};
    }
    static QList<QStringList> bulkRows()
    {
        return {{"0003", "Šťastný"}, {"0001", "Čech"}, {"0002", "Cibulka"}, {"0001", "Adam"}, {"0004", "čermák"}};
    }
    static QStringList orderOf(Table &t, const QString &index)
    {
        t.setIndexFieldNames(index);
        return column(t, 0).join(',').split(',') + column(t, 1);
    }

private slots:
    void init()
    {
        tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp->isValid());
    }

    void createWritesDbase3WithDriver1250()
    {
        Table::create(folder(), "nova", PersonFields);
        const QByteArray b = readAll(path("nova.DBF"));
        const int headerLength = 32 + 4 * 32 + 1;
        QCOMPARE(b.size(), headerLength + 1);
        QCOMPARE(uchar(b[0]), uchar(0x03));
        QCOMPARE(uchar(b[29]), uchar(0xC8));
        QCOMPARE(qFromLittleEndian<quint32>(b.constData() + 4), 0u);
        QCOMPARE(qFromLittleEndian<quint16>(b.constData() + 8), quint16(headerLength));
        QCOMPARE(qFromLittleEndian<quint16>(b.constData() + 10), quint16(1 + 10 + 16 + 20 + 5));
        QCOMPARE(b.mid(32 + 32, 4), QByteArray("OS1\0", 4));
        QCOMPARE(b[32 + 32 + 11], 'C');
        QCOMPARE(uchar(b[32 + 32 + 16]), uchar(16));
        QCOMPARE(b[headerLength - 1], char(0x0D));
        QCOMPARE(b[headerLength], char(0x1A));
        QVERIFY(QDir(folder()).entryList(QDir::Files) == QStringList{"nova.DBF"});
    }

    void nameWithOrWithoutExtensionIsOneTable()
    {
        Table::create(folder(), "DEMOosoby.DBF", PersonFields);
        QVERIFY(Table::exists(folder(), "DEMOosoby"));
        QVERIFY(Table::exists(folder(), "DEMOosoby.dbf"));
        QFile::rename(path("DEMOosoby.DBF"), path("DEMOosoby.dbf"));
        Table t;
        openTable(t, "DEMOosoby");
        QCOMPARE(QFileInfo(t.filePath()).fileName(), QString("DEMOosoby.dbf"));
    }

    void appendEditDeleteReachTheFileAtOnce()
    {
        createPersons("osoby", {{"a", "0000000000000001", "Novák", "1"}, {"b", "0000000000000002", "Dvořák", "2"}});
        Table t;
        openTable(t, "osoby");
        t.setIndexFieldNames("OS1");
        t.last();
        t.edit();
        t.setFieldText(2, "Říha");
        t.post();
        const qint64 sizeAfterEdit = QFileInfo(path("osoby.DBF")).size();
        t.first();
        t.deleteRecord();

        const QByteArray b = readAll(path("osoby.DBF"));
        const int headerLength = qFromLittleEndian<quint16>(b.constData() + 8);
        const int recordLength = qFromLittleEndian<quint16>(b.constData() + 10);
        QCOMPARE(b.size(), sizeAfterEdit);
        QCOMPARE(b.size(), headerLength + 2 * recordLength + 1);
        QCOMPARE(qFromLittleEndian<quint32>(b.constData() + 4), 2u);
        QCOMPARE(b[headerLength], '*');
        QCOMPARE(b[headerLength + recordLength], ' ');
        QCOMPARE(b.right(1), QByteArray(1, 0x1A));

        Table other;
        openTable(other, "osoby");
        QCOMPARE(other.recordCount(), 1);
        QCOMPARE(other.fieldText(2), QString("Říha"));
    }

    void postedRecordsSurviveWithoutClose()
    {
        Table::create(folder(), "osoby", PersonFields);
        auto t = std::make_unique<Table>();
        openTable(*t, "osoby");
        addRecord(*t, {"x", "00000000000000AA", "Šťastný"});
        Table reader;
        openTable(reader, "osoby");
        QCOMPARE(reader.recordCount(), 1);
        QCOMPARE(reader.fieldText(2), QString("Šťastný"));
    }

    void closePostsTheRecordUnderEdit()
    {
        createPersons("osoby", {{"a", "1", "Novák"}});
        Table t;
        openTable(t, "osoby");
        t.edit();
        t.setFieldText(2, "Nováková");
        t.close();
        openTable(t, "osoby");
        QCOMPARE(t.fieldText(2), QString("Nováková"));
    }

    void editingAnEmptyTableAppends()
    {
        Table::create(folder(), "osoby", PersonFields);
        Table t;
        openTable(t, "osoby");
        t.edit();
        QCOMPARE(t.state(), Table::Insert);
        t.setFieldText(1, "ABC");
        t.post();
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(t.fieldText(1), QString("ABC"));
    }

    void textIsCutToTheFieldWidth_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("ascii") << 0 << "abcdefghijkl" << "abcdefghij" << QByteArray("abcdefghij");
        QTest::newRow("czech letters count one each") << 0 << "Žluťoučký kůň" << "Žluťoučký"
                                                      << QByteArray("\x8Elu\x9Dou\xE8k\xFD ");
        QTest::newRow("short text filled with blanks") << 0 << "ab" << "ab" << QByteArray("ab        ");
        QTest::newRow("number right-aligned") << 3 << "42" << "42" << QByteArray("   42");
        QTest::newRow("number cut") << 3 << "1234567" << "12345" << QByteArray("12345");
    }
    void textIsCutToTheFieldWidth()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, read);
        QFETCH(QByteArray, stored);
        Table::create(folder(), "cut", PersonFields);
        Table t;
        openTable(t, "cut");
        t.insert();
        t.setFieldText(field, text);
        t.post();
        QCOMPARE(t.fieldText(field), read);
        const QByteArray b = readAll(path("cut.DBF"));
        const int offset = 1 + (field == 3 ? 10 + 16 + 20 : 0);
        QCOMPARE(b.mid(32 + 4 * 32 + 1 + offset, stored.size()), stored);
    }

    void textWindows1250CannotHoldIsRefused()
    {
        Table::create(folder(), "t", PersonFields);
        Table t;
        openTable(t, "t");
        t.insert();
        t.setFieldText(2, "Horák");
        QVERIFY(!errorOf([&] { t.setFieldText(2, "Horák 中"); }).isEmpty());
        QCOMPARE(t.fieldText(2), QString("Horák"));
    }

    void languageDriversReadAsWindows1250_data()
    {
        QTest::addColumn<uchar>("version");
        QTest::addColumn<uchar>("driver");
        QTest::newRow("dBase III, 0xC8") << uchar(0x03) << uchar(0xC8);
        QTest::newRow("dBase III, 0x57") << uchar(0x03) << uchar(0x57);
        QTest::newRow("dBase III, no driver") << uchar(0x03) << uchar(0x00);
        QTest::newRow("dBase IV with memo") << uchar(0x8B) << uchar(0x57);
        QTest::newRow("dBase III with memo") << uchar(0x83) << uchar(0xC8);
    }
    void languageDriversReadAsWindows1250()
    {
        QFETCH(uchar, version);
        QFETCH(uchar, driver);
        Fixture f = personFixture();
        f.version = version;
        f.driver = driver;
        f.records = {f.record(' ', {"0001", "\x8E" "elezn\xFD \xD8\xED" "ha"})};
        f.write(path("drv.DBF"));
        Table t;
        openTable(t, "drv");
        QCOMPARE(t.fieldText(1), QString("Železný Říha"));
    }

    void tablesAreReadAndWrittenInTheirCodePage_data()
    {
        QTest::addColumn<uchar>("driver");
        QTest::addColumn<bool>("level7");
        QTest::addColumn<QString>("cpg");  // "" for no .cpg file
        QTest::addColumn<QString>("page");
        QTest::newRow("driver 0x1F") << uchar(0x1F) << false << "" << "IBM852";
        QTest::newRow("driver 0x64") << uchar(0x64) << false << "" << "IBM852";
        QTest::newRow("driver 0x22") << uchar(0x22) << false << "" << "IBM852";
        QTest::newRow("driver 0x23") << uchar(0x23) << false << "" << "IBM852";
        QTest::newRow("driver 0x87") << uchar(0x87) << false << "" << "IBM852";
        QTest::newRow("level 7 DB852CZ0") << uchar(0x00) << true << "" << "IBM852";
        QTest::newRow("no driver, .cpg 852") << uchar(0x00) << false << "852" << "IBM852";
        QTest::newRow(".cpg names it over the driver") << uchar(0xC8) << false << "CP852\r\n" << "IBM852";
        QTest::newRow("driver 0xC8, .cpg ANSI 1250") << uchar(0xC8) << false << "ANSI 1250" << "windows-1250";
        QTest::newRow("driver 0x03 (Windows ANSI)") << uchar(0x03) << false << "" << "windows-1252";
        QTest::newRow("driver 0x26 (cp866)") << uchar(0x26) << false << "" << "IBM866";
    }
    // Read in the table's page, and an edit and an append written in it, so
    // the table never mixes two code pages.
    void tablesAreReadAndWrittenInTheirCodePage()
    {
        QFETCH(uchar, driver);
        QFETCH(bool, level7);
        QFETCH(QString, cpg);
        QFETCH(QString, page);
        const QByteArray pageName = page.toLatin1();
        const bool czech = page != "windows-1252" && page != "IBM866";
        const QString name = czech ? "Účetní Novák" : page == "IBM866" ? "Бухгалтерия" : "Café Señor";
        const QString edited = czech ? "Řehoř Žluťák" : page == "IBM866" ? "Жуков Пётр" : "Müller Ærø";
        Fixture f = personFixture();
        f.driver = driver;
        f.level7 = level7;
        f.version = level7 ? 0x04 : 0x03;
        f.records = {f.record(' ', {"0001", encoded(pageName, name)})};
        QByteArray bytes = f.bytes();
        if (level7)
            bytes.replace(32, 8, "DB852CZ0");
        QFile out(path("cp.DBF"));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
        out.close();
        if (!cpg.isEmpty()) {
            QFile c(path("cp.cpg"));
            QVERIFY(c.open(QIODevice::WriteOnly));
            c.write(cpg.toLatin1());
        }
        Table t;
        openTable(t, "cp");
        QCOMPARE(t.fieldText(1), name);
        t.edit();
        t.setFieldText(1, edited);
        t.post();
        addRecord(t, {"0002", name});
        t.close();
        const QByteArray after = readAll(path("cp.DBF"));
        const int h = f.header().size();
        QCOMPARE(after.mid(h + 1 + 4, 12), encoded(pageName, edited).leftJustified(12, ' '));
        QCOMPARE(after.mid(h + f.recordLength() + 1 + 4, 12), encoded(pageName, name).leftJustified(12, ' '));
    }

    void textTheTablesCodePageCannotHoldIsRefused_data()
    {
        QTest::addColumn<uchar>("driver");
        QTest::addColumn<QString>("text");
        QTest::newRow("cp852: euro sign") << uchar(0x64) << "Cena 5 €";
        QTest::newRow("cp852: typographic quotes") << uchar(0x1F) << "„Novák“";
        QTest::newRow("Windows-1250: box drawing") << uchar(0xC8) << "Novák ╬";
    }
    void textTheTablesCodePageCannotHoldIsRefused()
    {
        QFETCH(uchar, driver);
        QFETCH(QString, text);
        Fixture f = personFixture();
        f.driver = driver;
        f.records = {f.record(' ', {"0001", "Nov"})};
        f.write(path("cp.DBF"));
        const QByteArray before = readAll(path("cp.DBF"));
        Table t;
        openTable(t, "cp");
        t.edit();
        QVERIFY(errorOf([&] { t.setFieldText(1, text); }).contains("nelze uložit"));
        QCOMPARE(t.fieldText(1), QString("Nov"));
        t.close();
        QCOMPARE(readAll(path("cp.DBF")).mid(32), before.mid(32));
    }

    void tableOfAPageOfSeveralBytesACharacterIsRefused()
    {
        Fixture f = personFixture();
        f.write(path("utf.DBF"));
        QFile c(path("utf.cpg"));
        QVERIFY(c.open(QIODevice::WriteOnly));
        c.write("UTF-8");
        c.close();
        Table t;
        const QString e = errorOf([&] { openTable(t, "utf"); });
        QVERIFY2(e.contains(QDir::toNativeSeparators(path("utf.DBF"))), qPrintable(e));
        QVERIFY(!t.active());
    }

    // A sparse file as long as its header claims: refused before anything is allocated.
    void headerClaimingMoreThanCanBeReadIsRefused()
    {
        Fixture f = personFixture();
        f.claimedCount = 1 << 30;
        f.write(path("huge.DBF"));
        QFile big(path("huge.DBF"));
        if (!big.resize(f.header().size() + qint64(f.recordLength()) * (1 << 27)))
            QSKIP("no sparse file of 2 GB here");
        big.close();
        Table t;
        const QString e = errorOf([&] { openTable(t, "huge"); });
        QVERIFY2(e.contains("huge.DBF"), qPrintable(e));
        QVERIFY(!t.active());
    }

    void insertedRecordNothingWasTypedIntoIsNotStored_data()
    {
        QTest::addColumn<QString>("leave");
        QTest::newRow("post") << "post";
        QTest::newRow("move to the next record") << "next";
        QTest::newRow("close") << "close";
    }
    void insertedRecordNothingWasTypedIntoIsNotStored()
    {
        QFETCH(QString, leave);
        createPersons("osoby", {{"a", "1", "Novák"}});
        const qint64 size = QFileInfo(path("osoby.DBF")).size();
        Table t;
        openTable(t, "osoby");
        t.insert();
        if (leave == "post")
            t.post();
        else if (leave == "next")
            t.next();
        else
            t.close();
        QCOMPARE(QFileInfo(path("osoby.DBF")).size(), size);
        t.close();
        openTable(t, "osoby");
        QCOMPARE(t.recordCount(), 1);
    }

    void closeThatCannotPostDropsTheChangeAndTellsIt_data()
    {
        QTest::addColumn<bool>("inserting");
        QTest::newRow("edit") << false;
        QTest::newRow("insert") << true;
    }
    // Shut down on a full disk: the error is shown once, naming what was not
    // stored, and the table closes; opening it again shows the file as it was.
    void closeThatCannotPostDropsTheChangeAndTellsIt()
    {
        QFETCH(bool, inserting);
        ScriptedOperator op;
        createPersons("osoby", {{"a", "1", "Novák"}});
        const QByteArray before = readAll(path("osoby.DBF"));
        Table t;
        openTable(t, "osoby");
        inserting ? t.insert() : t.edit();
        t.setFieldText(2, "Neuložený");
        {
            const FileSizeLimit full(1);
            t.close();
        }
        QVERIFY(!t.active());
        QCOMPARE(op.shown.size(), 1);
        QVERIFY2(op.shown[0].text.contains("nelze zapisovat") && op.shown[0].text.contains("Neuložený"),
                 qPrintable(op.shown[0].text));
        QCOMPARE(readAll(path("osoby.DBF")), before);
        openTable(t, "osoby");
        QCOMPARE(column(t, 2), QStringList{"Novák"});
        t.close();
        QCOMPARE(op.shown.size(), 1);
    }

    // Another program changed the record since this one read it: the edit
    // starts from the file's record, so its change is not written back over.
    void editStartsFromTheRecordInTheFile()
    {
        createPersons("osoby", {{"a", "1", "Novák"}, {"b", "2", "Horák"}});
        Table mine, other;
        openTable(mine, "osoby");
        mine.setIndexFieldNames("OS1");
        openTable(other, "osoby");
        other.edit();
        other.setFieldText(1, "9");
        other.setFieldText(2, "Nováková");
        other.post();
        mine.first();
        mine.edit();
        QCOMPARE(mine.fieldText(2), QString("Nováková"));
        mine.setFieldText(0, "x");
        mine.post();
        QCOMPARE(column(mine, 1), (QStringList{"2", "9"}));
        mine.close();
        openTable(mine, "osoby");
        QCOMPARE(column(mine, 0), (QStringList{"b", "x"}));
        QCOMPARE(column(mine, 2), (QStringList{"Horák", "Nováková"}));
    }

    // Two processes appending at once: every record of both is kept.
    void appendsOfTwoProcessesAreAllKept()
    {
        createPersons("osoby", {{"a", "1", "Novák"}});
        constexpr int Each = 2000;
        pid_t children[2];
        for (int c = 0; c < 2; ++c) {
            children[c] = fork();
            QVERIFY(children[c] >= 0);
            if (children[c] == 0) {
                int code = 0;
                try {
                    Table t;
                    openTable(t, "osoby");
                    for (int i = 0; i < Each; ++i)
                        addRecord(t, {QString::number(c), QString::number(i)});
                    t.close();
                } catch (...) {
                    code = 1;
                }
                _exit(code);
            }
        }
        for (pid_t child : children) {
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        Table t;
        openTable(t, "osoby");
        QCOMPARE(t.recordCount(), 1 + 2 * Each);
        QCOMPARE(QFileInfo(path("osoby.DBF")).size(), qint64(32 + 4 * 32 + 1) + (1 + 2 * Each) * 52 + 1);
        QCOMPARE(column(t, 0).count("0"), Each);
    }

    void productionIndexFlagIsClearedOnTheFirstWrite()
    {
        Fixture f = personFixture();
        f.version = 0x8B;
        f.records = {f.record(' ', {"0001", "Novák"})};
        QByteArray b = f.bytes();
        b[28] = 0x01;
        QFile out(path("mdx.DBF"));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(b) == b.size());
        out.close();
        Table t;
        openTable(t, "mdx");
        t.close();
        QCOMPARE(readAll(path("mdx.DBF")), b);
        openTable(t, "mdx");
        addRecord(t, {"0002", "Horák"});
        t.close();
        QCOMPARE(readAll(path("mdx.DBF")).at(28), '\0');
    }

    // The memo's text is shown, never its block number; it cannot be set, an
    // edit of another field leaves the pointer and the .DBT as they were, and
    // a copy of the table takes its memo file along.
    void memoFieldsShowTheirTextReadOnly()
    {
        writeMemoTable(path("memo.DBF"), path("memo.DBT"));
        const QByteArray dbt = readAll(path("memo.DBT"));
        Table t;
        openTable(t, "memo");
        QCOMPARE(t.fieldText(1), QString("Klíč od účtárny\r\nvrácen"));
        QCOMPARE(t.textAt(1, 1), QString());
        t.edit();
        QVERIFY(!errorOf([&] { t.setFieldText(1, "7"); }).isEmpty());
        t.setFieldText(0, "0009");
        t.post();
        t.close();
        const QByteArray dbf = readAll(path("memo.DBF"));
        QVERIFY(dbf.contains("0009         1"));
        QCOMPARE(readAll(path("memo.DBT")), dbt);

        Table::copyTable(folder(), "memo", "kopie");
        QCOMPARE(readAll(path("kopie.DBT")), dbt);
        openTable(t, "kopie");
        QCOMPARE(t.fieldText(1), QString("Klíč od účtárny\r\nvrácen"));
    }

    void copyTakesTheCodePageFileAlong()
    {
        Fixture f = personFixture();
        f.driver = 0x00;
        f.records = {f.record(' ', {"0001", encoded("IBM852", "Účtárna")})};
        f.write(path("cp.DBF"));
        QFile c(path("cp.cpg"));
        QVERIFY(c.open(QIODevice::WriteOnly));
        c.write("852");
        c.close();
        Table::copyTable(folder(), "cp", "kopie");
        Table t;
        openTable(t, "kopie");
        QCOMPARE(t.fieldText(1), QString("Účtárna"));
    }

    // One program per program folder; the lock writes nothing into it.
    void secondHolderOfTheProgramFolderIsRefused()
    {
        const qintptr first = lockFolder(folder());
        QVERIFY(first >= 0);
        QCOMPARE(lockFolder(folder()), qintptr(-1));
        QVERIFY(QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
        releaseFolder(first);
        const qintptr again = lockFolder(folder());
        QVERIFY(again >= 0);
        releaseFolder(again);
    }

    void deletedRecordsAreSkipped()
    {
        Fixture f = personFixture();
        f.records = {f.record('*', {"0001", "Smazany"}), f.record(' ', {"0002", "Zivy"}),
                     f.record('*', {"0003", "Take pryc"}), f.record(' ', {"0004", "Dalsi"})};
        f.write(path("del.DBF"));
        Table t;
        t.setIndexFieldNames("OS1");
        openTable(t, "del");
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(column(t, 0), (QStringList{"0002", "0004"}));
        QVERIFY(!t.findKey("0001"));
        t.setIndexFieldNames("");
        QCOMPARE(column(t, 0), (QStringList{"0002", "0004"}));
    }

    void fileShorterThanItsHeaderClaims_data()
    {
        QTest::addColumn<int>("claimed");
        QTest::addColumn<int>("cutBytes");
        QTest::addColumn<int>("readable");
        QTest::addColumn<bool>("damaged");
        QTest::newRow("count beyond the records") << 5 << 0 << 3 << true;
        QTest::newRow("count of 2^32 - 1") << -2 << 0 << 3 << true;
        QTest::newRow("last record cut in half") << 3 << 9 << 2 << true;
        QTest::newRow("no end byte") << 3 << 1 << 3 << false;
    }
    // The records the file holds are opened; the operator is told once, by
    // file name, that the table is damaged, and the next append mends the count.
    void fileShorterThanItsHeaderClaims()
    {
        QFETCH(int, claimed);
        QFETCH(int, cutBytes);
        QFETCH(int, readable);
        QFETCH(bool, damaged);
        ScriptedOperator op;
        Fixture f = personFixture();
        f.claimedCount = claimed;
        f.records = {f.record(' ', {"0001", "A"}), f.record(' ', {"0002", "B"}), f.record(' ', {"0003", "C"})};
        QByteArray b = f.bytes();
        b.chop(cutBytes);
        QFile out(path("short.DBF"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(b);
        out.close();
        if (claimed == -2)
            qToLittleEndian(quint32(0xFFFFFFFF), b.data() + 4);
        if (claimed == -2)
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(b) == b.size());
        out.close();

        Table t;
        openTable(t, "short");
        QCOMPARE(t.recordCount(), readable);
        t.close();
        openTable(t, "short");
        QCOMPARE(op.shown.size(), damaged ? 1 : 0);
        if (damaged) {
            QCOMPARE(op.shown[0].title, QString("Upozornění"));
            QCOMPARE(op.shown[0].flags, 48);
            QVERIFY2(op.shown[0].text.contains(QDir::toNativeSeparators(path("short.DBF"))), qPrintable(op.shown[0].text));
        }
        addRecord(t, {"0009", "Nový"});
        t.close();
        t.setIndexFieldNames("OS1");
        openTable(t, "short");
        QCOMPARE(t.recordCount(), readable + 1);
        QVERIFY(t.findKey("0009"));
        QCOMPARE(t.fieldText(1), QString("Nový"));
    }

    void brokenFilesRaiseErrors_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        Fixture f = personFixture();
        f.records = {f.record(' ', {"0001", "A"})};
        const QByteArray good = f.bytes();
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("header cut short") << good.left(40);
        QTest::newRow("unknown version") << QByteArray(good).replace(0, 1, "\x30");
        QByteArray longHeader = good;
        qToLittleEndian(quint16(good.size() + 100), longHeader.data() + 8);
        QTest::newRow("header length past the end") << longHeader;
        QByteArray narrow = good;
        qToLittleEndian(quint16(5), narrow.data() + 10);
        QTest::newRow("fields wider than the record") << narrow;
        QByteArray wide = good;
        qToLittleEndian(quint16(f.recordLength() + 3), wide.data() + 10);
        QTest::newRow("record longer than its fields") << wide;
        QByteArray cut = good;
        qToLittleEndian(quint16(32 + 32 + 10), cut.data() + 8);
        QTest::newRow("header shorter than its descriptors") << cut;
    }
    void brokenFilesRaiseErrors()
    {
        QFETCH(QByteArray, bytes);
        QFile out(path("broken.DBF"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        Table t;
        const QString e = errorOf([&] { openTable(t, "broken"); });
        QVERIFY2(e.contains("broken.DBF"), qPrintable(e));
        QVERIFY(!t.active());
    }

    void missingTableIsReported()
    {
        Table t;
        const QString e = errorOf([&] { openTable(t, "chybi"); });
        QCOMPARE(e, "Tabulka " + QDir::toNativeSeparators(path("chybi.DBF")) + " neexistuje");
        QVERIFY(!errorOf([&] { Table::copyTable(folder(), "chybi", "jina"); }).isEmpty());
        QVERIFY(!Table::exists(folder(), "jina"));
    }

    void exclusiveUseExcludesThisProgram()
    {
        createPersons("osoby", {{"a", "1", "Novák"}});
        Table shared, excl;
        openTable(shared, "osoby");
        const QString e = errorOf([&] { openTable(excl, "osoby", true); });
        QCOMPARE(e, "Tabulka " + QDir::toNativeSeparators(path("osoby.DBF")) + " je používána jiným programem");
        QVERIFY(!errorOf([&] { shared.emptyTable(); }).isEmpty());
        shared.close();
        openTable(excl, "osoby", true);
        QVERIFY(!errorOf([&] { openTable(shared, "osoby"); }).isEmpty());
    }

    void tableHeldByAnotherProcess()
    {
        const QString python = QStandardPaths::findExecutable("python3");
        if (python.isEmpty())
            QSKIP("python3 is not installed: no other process to hold the table");
        createPersons("osoby", {{"a", "1", "Novák"}});
        QProcess holder;
        holder.start(python, {"-c", "import fcntl, sys, time\n"
                                    "f = open(sys.argv[1])\n"
                                    "fcntl.flock(f, fcntl.LOCK_SH)\n"
                                    "print('locked', flush=True)\n"
                                    "time.sleep(60)\n",
                              path("osoby.DBF")});
        QVERIFY(holder.waitForReadyRead(5000));

        Table t;
        const QString e = errorOf([&] { openTable(t, "osoby", true); });
        QCOMPARE(e, "Tabulka " + QDir::toNativeSeparators(path("osoby.DBF")) + " je používána jiným programem");
        openTable(t, "osoby");  // shared use goes on beside it
        QCOMPARE(t.recordCount(), 1);
        holder.kill();
        holder.waitForFinished();
    }

    void openTableIsLockedAgainstOtherProcesses()
    {
        const QString flock = QStandardPaths::findExecutable("flock");
        if (flock.isEmpty())
            QSKIP("flock(1) from util-linux is not installed");
        createPersons("osoby", {});
        const auto exclusiveElsewhere = [&] {
            return QProcess::execute(flock, {"--exclusive", "--nonblock", path("osoby.DBF"), "true"});
        };
        Table t;
        openTable(t, "osoby");
        QVERIFY(exclusiveElsewhere() != 0);
        t.close();
        QCOMPARE(exclusiveElsewhere(), 0);
    }

    void emptyTableUnderExclusiveUse()
    {
        createPersons("osoby", {{"a", "1", "Novák"}, {"b", "2", "Horák"}});
        Table t;
        openTable(t, "osoby", true);
        t.emptyTable();
        QCOMPARE(t.recordCount(), 0);
        QVERIFY(t.eof());
        QCOMPARE(QFileInfo(path("osoby.DBF")).size(), qint64(32 + 4 * 32 + 1 + 1));
        addRecord(t, {"c", "3", "Malý"});
        t.close();
        t.setExclusive(false);
        openTable(t, "osoby");
        QCOMPARE(column(t, 2), QStringList{"Malý"});
    }

    void copyReplacesTheTarget()
    {
        createPersons("zdroj", {{"a", "1", "Novák"}, {"b", "2", "Horák"}});
        createPersons("cil", {{"x", "9", "Starý"}});
        Table::copyTable(folder(), "zdroj", "cil.DBF");
        QCOMPARE(readAll(path("cil.DBF")), readAll(path("zdroj.DBF")));
        QCOMPARE(QDir(folder()).entryList(QDir::Files), (QStringList{"cil.DBF", "zdroj.DBF"}));
    }

    void copyOntoItselfLeavesTheTable_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("same name") << "osoby";
        QTest::newRow("with extension") << "osoby.DBF";
        QTest::newRow("other letter case of extension") << "osoby.dbf";
    }
    void copyOntoItselfLeavesTheTable()
    {
        QFETCH(QString, target);
        createPersons("osoby", {{"a", "1", "Novák"}});
        const QByteArray before = readAll(path("osoby.DBF"));
        Table open;
        openTable(open, "osoby");
        Table::copyTable(folder(), "osoby", target);
        QCOMPARE(readAll(path("osoby.DBF")), before);
        QCOMPARE(open.recordCount(), 1);
    }

    void copyOntoATableInUseIsRefused()
    {
        createPersons("zdroj", {{"a", "1", "Novák"}});
        createPersons("cil", {{"x", "9", "Starý"}});
        const QByteArray before = readAll(path("cil.DBF"));
        Table user;
        openTable(user, "cil");
        QVERIFY(errorOf([&] { Table::copyTable(folder(), "zdroj", "cil"); }).contains("používána"));
        QCOMPARE(readAll(path("cil.DBF")), before);
    }

    void indexOrder_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("order");
        const QStringList names{"Hora", "Čech", "Chalupa", "Cibulka", "Šimek", "Svoboda", "Žák", "Zeman", "Ivan"};
        QTest::newRow("surnames in Czech order")
            << "OS2" << names
            << QStringList{"Cibulka", "Čech", "Hora", "Chalupa", "Ivan", "Svoboda", "Šimek", "Zeman", "Žák"};
        QTest::newRow("file order") << "" << names << names;
        QTest::newRow("codes by bytes") << "OS1" << QStringList{"Z", "A", "a", "B"} << QStringList{"A", "B", "Z", "a"};
    }
    void indexOrder()
    {
        QFETCH(QString, index);
        QFETCH(QStringList, names);
        QFETCH(QStringList, order);
        QList<QStringList> rows;
        for (const QString &n : names)
            rows.append({"", n, n});
        createPersons("osoby", rows);
        Table t;
        t.setIndexFieldNames(index);
        openTable(t, "osoby");
        QCOMPARE(column(t, index == "OS1" ? 1 : 2), order);
    }

    void changingTheIndexKeepsTheCurrentRecord()
    {
        createPersons("osoby", {{"", "0003", "Adam"}, {"", "0001", "Zeman"}, {"", "0002", "Marek"}});
        Table t;
        t.setIndexFieldNames("OS1");
        openTable(t, "osoby");
        t.first();
        QCOMPARE(t.fieldText(2), QString("Zeman"));
        t.setIndexFieldNames("OS2");
        QCOMPARE(t.fieldText(2), QString("Zeman"));
        QCOMPARE(t.recNo(), 2);
        t.first();
        QCOMPARE(t.fieldText(2), QString("Adam"));
    }

    void editedKeyMovesInTheIndex()
    {
        createPersons("osoby", {{"", "0001", "Adam"}, {"", "0002", "Marek"}});
        Table t;
        t.setIndexFieldNames("OS2");
        openTable(t, "osoby");
        t.first();
        t.edit();
        t.setFieldText(2, "Žák");
        t.post();
        QCOMPARE(t.recNo(), 1);
        QCOMPARE(column(t, 2), (QStringList{"Marek", "Žák"}));
        QVERIFY(t.findKey("Žák"));
        QVERIFY(!t.findKey("Adam"));
    }

    void findKey_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("found");  // OS0 of the record found, "" for none
        QTest::newRow("code exact") << "OS1" << "00000000000000B2" << "2";
        QTest::newRow("code prefix is no match") << "OS1" << "00000000000000B" << "";
        QTest::newRow("code longer than the field") << "OS1" << "00000000000000B2X" << "";
        QTest::newRow("code of other case") << "OS1" << "00000000000000b2" << "";
        QTest::newRow("name exact") << "OS2" << "Novák" << "1";
        QTest::newRow("name prefix is no match") << "OS2" << "Nov" << "";
        QTest::newRow("name of other case") << "OS2" << "novák" << "";
        QTest::newRow("name without its accent") << "OS2" << "Novak" << "";
        QTest::newRow("equal names: first in index order") << "OS2" << "Černý" << "3";
        QTest::newRow("equal codes: first in index order") << "OS1" << "00000000000000C3" << "3";
    }
    void findKey()
    {
        QFETCH(QString, index);
        QFETCH(QString, key);
        QFETCH(QString, found);
        createPersons("osoby", {{"1", "00000000000000A1", "Novák"},
                                {"2", "00000000000000B2", "Nováková"},
                                {"3", "00000000000000C3", "Černý"},
                                {"4", "00000000000000C3", "Černý"}});
        Table t;
        t.setIndexFieldNames(index);
        openTable(t, "osoby");
        t.last();
        const QString before = t.fieldText(0);
        QCOMPARE(t.findKey(key), !found.isEmpty());
        QCOMPARE(t.fieldText(0), found.isEmpty() ? before : found);
    }

    void findKeyNeedsAnIndex()
    {
        createPersons("osoby", {{"1", "A", "Novák"}});
        Table t;
        openTable(t, "osoby");
        QVERIFY(!errorOf([&] { t.findKey("A"); }).isEmpty());
        QVERIFY(!errorOf([&] { t.setIndexFieldNames("XX9"); }).isEmpty());
    }

    void cursorWalksTheOrder()
    {
        createPersons("osoby", {{"1"}, {"2"}, {"3"}});
        Table t;
        openTable(t, "osoby");
        QStringList seen;
        for (t.first(); !t.eof(); t.next())
            seen << t.fieldText(0);
        QCOMPARE(seen, (QStringList{"1", "2", "3"}));
        QCOMPARE(t.recNo(), 2);
        seen.clear();
        for (t.last(); !t.bof(); t.prior())
            seen << t.fieldText(0);
        QCOMPARE(seen, (QStringList{"3", "2", "1"}));
        t.moveTo(1);
        const Table::Bookmark b = t.bookmark();
        t.last();
        t.gotoBookmark(b);
        QCOMPARE(t.fieldText(0), QString("2"));
    }

    void deletingKeepsThePlace_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("current");
        QTest::newRow("first") << 0 << "2";
        QTest::newRow("middle") << 1 << "3";
        QTest::newRow("last") << 2 << "2";
    }
    void deletingKeepsThePlace()
    {
        QFETCH(int, position);
        QFETCH(QString, current);
        createPersons("osoby", {{"1"}, {"2"}, {"3"}});
        Table t;
        openTable(t, "osoby");
        t.moveTo(position);
        t.deleteRecord();
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(t.fieldText(0), current);
    }

    void cancelDropsTheChange()
    {
        createPersons("osoby", {{"1", "A", "Novák"}});
        Table t;
        openTable(t, "osoby");
        t.edit();
        t.setFieldText(2, "Jiný");
        t.cancel();
        QCOMPARE(t.fieldText(2), QString("Novák"));
        t.insert();
        t.deleteRecord();  // drops the record being inserted
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(t.state(), Table::Browse);
    }

    void operationsOutOfStateRaiseErrors()
    {
        createPersons("osoby", {{"1"}});
        Table t;
        QVERIFY(!errorOf([&] { t.first(); }).isEmpty());
        openTable(t, "osoby");
        QVERIFY(!errorOf([&] { t.setFieldText(0, "x"); }).isEmpty());
        QVERIFY(!errorOf([&] { t.post(); }).isEmpty());
        QVERIFY(!errorOf([&] { t.setTableName("jina"); }).isEmpty());
        QVERIFY(!errorOf([&] { t.setExclusive(true); }).isEmpty());
        QVERIFY(!errorOf([&] { t.fieldText(7); }).isEmpty());
    }

    void recordsAppendedByAnotherUserAreKept()
    {
        createPersons("osoby", {});
        Table a, b;
        openTable(a, "osoby");
        openTable(b, "osoby");
        addRecord(a, {"a"});
        addRecord(b, {"b"});
        QCOMPARE(column(b, 0), (QStringList{"a", "b"}));
        a.refresh();
        QCOMPARE(column(a, 0), (QStringList{"a", "b"}));
        Table c;
        openTable(c, "osoby");
        QCOMPARE(column(c, 0), (QStringList{"a", "b"}));
    }

    void appendOnAFullDiskChangesNothing_data()
    {
        QTest::addColumn<int>("room");  // bytes the file may still grow by
        QTest::newRow("no room") << 0;
        QTest::newRow("room for part of the record") << 20;
    }
    // Another user appended a record that sorts before the current one; the
    // failed post must neither lose the current record nor show one the file lacks.
    void appendOnAFullDiskChangesNothing()
    {
        QFETCH(int, room);
        createPersons("osoby", {{"b", "0000000000000002"}, {"c", "0000000000000003"}});
        Table a, b;
        openTable(a, "osoby");
        a.setIndexFieldNames("OS1");
        a.last();
        openTable(b, "osoby");
        addRecord(b, {"a", "0000000000000001"});
        a.insert();
        a.setFieldText(0, "d");
        a.setFieldText(1, "0000000000000004");
        {
            const FileSizeLimit full(QFileInfo(path("osoby.DBF")).size() + room);
            QVERIFY(errorOf([&] { a.post(); }).contains("nelze zapisovat"));
        }
        QCOMPARE(a.state(), Table::Insert);
        a.cancel();
        QCOMPARE(a.fieldText(0), QString("c"));
        QCOMPARE(column(a, 0), (QStringList{"a", "b", "c"}));
        Table c;
        openTable(c, "osoby");
        QCOMPARE(column(c, 0), (QStringList{"b", "c", "a"}));
    }

    void bulkAppendWritesWhatAppendsOneByOneWrite_data()
    {
        QTest::addColumn<uchar>("version");
        QTest::addColumn<bool>("level7");
        QTest::addColumn<bool>("withRecords");  // a live and a deleted record before
        QTest::newRow("empty dBase III") << uchar(0x03) << false << false;
        QTest::newRow("dBase III with records") << uchar(0x03) << false << true;
        QTest::newRow("dBase IV with records") << uchar(0x8B) << false << true;
        QTest::newRow("level 7 with records") << uchar(0x04) << true << true;
    }
    void bulkAppendWritesWhatAppendsOneByOneWrite()
    {
        QFETCH(uchar, version);
        QFETCH(bool, level7);
        QFETCH(bool, withRecords);
        Fixture f = personFixture();
        f.version = version;
        f.level7 = level7;
        if (withRecords)
            f.records = {f.record(' ', {"0002", "B\xE1rta"}), f.record('*', {"0009", "Smazan\xFD"})};
        f.write(path("a.DBF"));
        f.write(path("b.DBF"));
        Table a, b;
        openTable(a, "a");
        openTable(b, "b");
        a.setIndexFieldNames("OS2");
        b.setIndexFieldNames("OS2");
        QVERIFY(fillOneByOne(a, bulkRows()).isEmpty());
        b.last();
        b.appendRecords(bulkRows());
        QCOMPARE(b.state(), Table::Browse);
        QCOMPARE(b.fieldText(1), a.fieldText(1));
        QCOMPARE(b.recNo(), a.recNo());
        const BothWays files{path("a.DBF"), path("b.DBF")};
        QCOMPARE(files.fileOf(files.bulk), files.fileOf(files.oneByOne));
        for (const char *index : {"", "OS1", "OS2"})
            QCOMPARE(orderOf(b, index), orderOf(a, index));
        b.close();
        openTable(b, "b");
        b.setIndexFieldNames("OS2");
        QCOMPARE(column(b, 1), (QStringList{"Adam"} + QStringList(withRecords ? QStringList{"Bárta"} : QStringList()) +
                                QStringList{"Cibulka", "Čech", "čermák", "Šťastný"}));
    }

    void bulkAppendFailsAsAppendsOneByOneFail_data()
    {
        QTest::addColumn<int>("room");  // bytes the file may still grow by, -1 for no limit
        QTest::addColumn<QString>("badText");  // a text Windows-1250 cannot hold, in the fourth record
        QTest::addColumn<int>("kept");
        const int record = 1 + 4 + 12;
        QTest::newRow("full disk") << 0 << QString() << 0;
        QTest::newRow("room for two and a half records") << record * 2 + record / 2 << QString() << 2;
        QTest::newRow("room for three records, not the end byte") << record * 3 - 1 << QString() << 2;
        QTest::newRow("room for three records and the end byte") << record * 3 << QString() << 3;
        QTest::newRow("text the code page cannot hold") << -1 << QString("\u0416uk") << 3;
    }
    // A full disk or a text that cannot be stored: the records before it are
    // kept, in the file, in memory and in every order, and the error is raised.
    void bulkAppendFailsAsAppendsOneByOneFail()
    {
        QFETCH(int, room);
        QFETCH(QString, badText);
        QFETCH(int, kept);
        Fixture f = personFixture();
        f.records = {f.record(' ', {"0002", "B\xE1rta"})};
        f.write(path("a.DBF"));
        f.write(path("b.DBF"));
        QList<QStringList> rows = bulkRows();
        if (!badText.isEmpty())
            rows[3][1] = badText;
        Table a, b;
        openTable(a, "a");
        openTable(b, "b");
        a.setIndexFieldNames("OS2");
        b.setIndexFieldNames("OS2");
        QString errorA, errorB;
        {
            std::unique_ptr<FileSizeLimit> full;
            if (room >= 0)
                full = std::make_unique<FileSizeLimit>(QFileInfo(path("a.DBF")).size() + room);
            errorA = fillOneByOne(a, rows);
            errorB = errorOf([&] { b.appendRecords(rows); });
        }
        QVERIFY(!errorB.isEmpty());
        QCOMPARE(errorB, QString(errorA).replace("a.DBF", "b.DBF"));
        QCOMPARE(b.recordCount(), 1 + kept);
        QCOMPARE(b.state(), Table::Browse);
        for (const char *index : {"", "OS1", "OS2"})
            QCOMPARE(orderOf(b, index), orderOf(a, index));
        Table c;
        openTable(c, "b");
        b.setIndexFieldNames("");
        QCOMPARE(column(c, 1), column(b, 1));
        QCOMPARE(c.recordCount(), 1 + kept);
        const BothWays files{path("a.DBF"), path("b.DBF")};
        QCOMPARE(files.fileOf(files.bulk), files.fileOf(files.oneByOne));
    }

    void viewsAreTold()
    {
        createPersons("osoby", {{"1"}, {"2"}});
        Table t;
        QList<Table::Change> told;
        const int id = t.subscribe([&](Table::Change c) { told << c; });
        openTable(t, "osoby");
        t.next();
        t.edit();
        t.setFieldText(0, "x");
        t.post();
        QCOMPARE(told.first(), Table::Change::Structure);
        QVERIFY(told.contains(Table::Change::Moved));
        QCOMPARE(told.last(), Table::Change::Data);
        t.unsubscribe(id);
        told.clear();
        t.close();
        QVERIFY(told.isEmpty());
    }

    void everyChangeDatesTheHeader_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("edit") << "edit";
        QTest::newRow("append") << "append";
        QTest::newRow("delete") << "delete";
    }
    void everyChangeDatesTheHeader()
    {
        QFETCH(QString, change);
        Fixture f = personFixture();
        f.records = {f.record(' ', {"0001", "Kovář"})};
        f.write(path("dated.DBF"));  // last updated 1999-12-31
        Table t;
        openTable(t, "dated");
        if (change == "edit") {
            t.edit();
            t.setFieldText(1, "Kovářová");
            t.post();
        } else if (change == "append") {
            addRecord(t, {"0002", "Novák"});
        } else {
            t.deleteRecord();
        }
        const QDate today = QDate::currentDate();
        const char stamp[3] = {char(today.year() - 1900), char(today.month()), char(today.day())};
        QCOMPARE(readAll(path("dated.DBF")).mid(1, 3), QByteArray(stamp, 3));
    }

    void writingBackKeepsUninterpretedBytes_data()
    {
        QTest::addColumn<bool>("level7");
        QTest::addColumn<uchar>("version");
        QTest::newRow("dBase III") << false << uchar(0x03);
        QTest::newRow("dBase IV") << false << uchar(0x8B);
        QTest::newRow("level 7") << true << uchar(0x04);
        QTest::newRow("level 7 with memo") << true << uchar(0x8C);
    }
    void writingBackKeepsUninterpretedBytes()
    {
        QFETCH(bool, level7);
        QFETCH(uchar, version);
        Fixture f;
        f.version = version;
        f.level7 = level7;
        f.fields = {{level7 ? "PRIJMENI_DLOUHE_JMENO" : "OS2", 'C', 12}, {"OS1", 'C', 4}, {"POCET", 'N', 4}};
        if (level7)
            f.properties = QByteArray("\x03\x00\x01\x00\x10\x00\x00\x00", 8) + "custom" + char(0xFF) + "property" + char(0);
        f.records = {f.record(' ', {"Kov\xE1\xF8", "0001", "   7"}), f.record('*', {"Pry\xE8", "0002", "   8"})};
        f.write(path("keep.DBF"));
        const QByteArray before = f.bytes();

        Table t;
        openTable(t, "keep");
        QCOMPARE(t.fieldName(0), QString(f.fields[0].name));
        QCOMPARE(t.fieldText(2), QString("7"));
        t.edit();
        t.setFieldText(0, "Kovářová");
        t.post();
        addRecord(t, {"Nový", "0003", "12"});
        t.close();

        const QByteArray after = readAll(path("keep.DBF"));
        const int headerLength = f.header().size();
        QCOMPARE(after.left(1), before.left(1));
        QCOMPARE(after.mid(8, headerLength - 8), before.mid(8, headerLength - 8));
        QCOMPARE(qFromLittleEndian<quint32>(after.constData() + 4), 3u);
        const Fixture expect = f;
        const QByteArray records = expect.record(' ', {"Kov\xE1\xF8ov\xE1", "0001", "   7"}) + f.records[1] +
                                   expect.record(' ', {"Nov\xFD", "0003", "  12"});
        QCOMPARE(after.mid(headerLength), records + char(0x1A));
    }
};

QTEST_GUILESS_MAIN(TestTable)
#include "test_table.moc"
