// The database operations: clearing, save as, load, and going to a record.
#include "records/database.h"
#include "records/working_set.h"
#include "tests/records/file_size_limit.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/table_helpers.h"
#include "tests/support/test_files.h"

#include <QCheckBox>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
void addPerson(Table &t, const QString &code, const QString &surname) { addRecord(t, {QString(), code, surname}); }
} // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        box = std::make_unique<QCheckBox>();
        db = std::make_unique<Database>();
        db->programFolder = dir->path() + QLatin1Char('/');
        db->databaseFolder = dir->path();
        db->databaseName = QStringLiteral("DEMO");
        grid = &db->workingSet;
        db->CheckBox1 = {[this] { return box->isChecked(); }, [this](bool on) { box->setChecked(on); }};
        // The main window refreshes its headings when a table opens or switches.
        for (Table *t : {&db->Table1, &db->Table2, &db->Table3})
            t->subscribe([this, t](DataSet::Change c) {
                if (c == DataSet::Change::Structure && t->active())
                    ++refreshes;
            });
        QObject::connect(box.get(), &QCheckBox::toggled, [this](bool on) {
            db->Table2.setIndexFieldNames(on ? QStringLiteral("OS2") : QStringLiteral("OS1"));
        });
        db->Table1.setTableName(QStringLiteral("arch1"));
        db->Table2.setTableName(QStringLiteral("DEMOosoby"));
        db->Table3.setTableName(QStringLiteral("DEMOzarizeni"));
        refreshes = 0;
        op.shown.clear();
        op.answers.clear();
        db->openTables();
    }
    void cleanup()
    {
        db->closeTables();
        db.reset();
    }

    void freshFolderGetsItsTables()
    {
        for (const char *f : {"arch1.DBF", "DEMOosoby.DBF", "DEMOzarizeni.DBF"})
            QVERIFY2(QFile::exists(dir->filePath(QString::fromLatin1(f))), f);
        QCOMPARE(db->Table1.recordCount(), 510);
        QCOMPARE(db->Table1.textAt(0, 0), QStringLiteral("001"));
        QCOMPARE(db->Table1.textAt(509, 0), QStringLiteral("510"));
        QCOMPARE(db->Table2.recordCount(), 0);
    }

    void emptyingTheArchiveLeaves510Slots_data()
    {
        QTest::addColumn<int>("extra");
        QTest::newRow("more") << 7;
        QTest::newRow("fewer") << -300;
    }
    void emptyingTheArchiveLeaves510Slots()
    {
        QFETCH(int, extra);
        Table &t = db->Table1;
        if (extra > 0) {
            for (int i = 0; i < extra; ++i) {
                t.append();
                t.setFieldText(0, QStringLiteral("9%1").arg(i, 2, 10, QLatin1Char('0')));
                t.post();
            }
        } else {
            for (int i = 0; i < -extra; ++i) {
                t.last();
                t.deleteRecord();
            }
        }
        t.first();
        t.edit();
        t.setFieldText(1, QStringLiteral("ABCDEF0123456789"));
        t.post();
        db->emptyArchive();
        QCOMPARE(t.recordCount(), 510);
        QStringList expected;
        for (int n = 1; n <= 510; ++n)
            expected << slotNumber(n);
        QCOMPARE(column(t, 0), expected);
        QCOMPARE(column(t, 1).join(QString()), QString());
        QCOMPARE(column(t, 2).join(QString()), QString());
        QVERIFY(refreshes > 0);
    }

    void emptyingThePersonList()
    {
        addPerson(db->Table2, QStringLiteral("0000000000000001"), QStringLiteral("Novák"));
        db->emptyTable(db->Table2);
        QCOMPARE(db->Table2.recordCount(), 0);
        QVERIFY(db->Table2.active());
        db->Table2.close();
        db->Table2.open();
        QCOMPARE(db->Table2.recordCount(), 0);
    }

    // Emptying on a full disk: the engine's own error, the records kept, and
    // the table back in shared use, so another program can open it.
    void emptyingThatFailsShowsTheEnginesErrorAndLeavesNoExclusiveLock()
    {
        addPerson(db->Table2, QStringLiteral("0000000000000001"), QStringLiteral("Novák"));
        QString e;
        {
            const FileSizeLimit full(1);
            e = errorOf([&] { db->emptyTable(db->Table2); });
        }
        QVERIFY2(e.contains("nelze zapisovat") && e.contains("DEMOosoby.DBF"), qPrintable(e));
        QVERIFY(db->Table2.active());
        QVERIFY(!db->Table2.exclusive());
        QCOMPARE(db->Table2.recordCount(), 1);
        Table other;
        other.setDatabaseFolder(db->databaseFolder);
        other.setTableName(db->Table2.tableName());
        other.open();
        QCOMPARE(other.recordCount(), 1);
    }

    void saveAsNewName()
    {
        addPerson(db->Table2, QStringLiteral("00000000000000AA"), QStringLiteral("Dvořák"));
        grid->setCell(1, 3, QStringLiteral("1234000000000000"));
        db->SaveDatabaseAs(QStringLiteral("NOVA"));
        QCOMPARE(db->databaseName, QStringLiteral("NOVA"));
        QCOMPARE(db->Table2.tableName(), QStringLiteral("NOVAosoby.DBF"));
        QCOMPARE(db->Table3.tableName(), QStringLiteral("NOVAzarizeni.DBF"));
        QCOMPARE(db->Table2.recordCount(), 1);
        QCOMPARE(db->Table2.textAt(0, 2), QStringLiteral("Dvořák"));
        const QByteArray screen = workingSetBytes(*grid);
        QCOMPARE(readFile(dir->filePath(QStringLiteral("DEMOpracovni.csv"))), screen);
        QCOMPARE(readFile(dir->filePath(QStringLiteral("NOVApracovni.csv"))), screen);
        QVERIFY(op.shown.isEmpty());
    }

    void saveAsNameWithOnlyAPersonList()
    {
        Table::create(dir->path(), QStringLiteral("STARAosoby"), personFields());
        addPerson(db->Table2, QStringLiteral("00000000000000BB"), QStringLiteral("Černý"));

        op.answers = {IDNO};
        db->SaveDatabaseAs(QStringLiteral("STARA"));
        QCOMPARE(op.lastText(), QStringLiteral("Databáze STARA již existuje. Chcete ji přepsat?"));
        QCOMPARE(op.shown.last().flags, 36);
        QCOMPARE(db->databaseName, QStringLiteral("DEMO"));
        QCOMPARE(db->Table2.tableName(), QStringLiteral("DEMOosoby.DBF"));
        QVERIFY(db->Table2.active());
        QVERIFY(!QFile::exists(dir->filePath(QStringLiteral("STARAzarizeni.DBF"))));

        op.answers = {IDYES};
        db->SaveDatabaseAs(QStringLiteral("STARA"));
        QCOMPARE(db->databaseName, QStringLiteral("STARA"));
        QVERIFY(QFile::exists(dir->filePath(QStringLiteral("STARAzarizeni.DBF"))));
        QCOMPARE(column(db->Table2, 2), QStringList{QStringLiteral("Černý")});
    }

    // The copy would have the table as its own source and target.
    void saveUnderTheCurrentNameKeepsTheTables()
    {
        addPerson(db->Table2, QStringLiteral("00000000000000CC"), QStringLiteral("Malý"));
        op.answers = {IDYES};
        db->SaveDatabaseAs(QStringLiteral("DEMO"));
        QCOMPARE(db->databaseName, QStringLiteral("DEMO"));
        QCOMPARE(column(db->Table2, 2), QStringList{QStringLiteral("Malý")});
        db->Table2.close();
        db->Table2.open();
        QCOMPARE(column(db->Table2, 2), QStringList{QStringLiteral("Malý")});
    }

    void loadRefusesAnIncompleteDatabase()
    {
        Table::create(dir->path(), QStringLiteral("JENOSOBYosoby"), personFields());
        grid->setCell(1, 1, QStringLiteral("AAAA"));
        db->LoadDatabase(QStringLiteral("JENOSOBY"));
        QCOMPARE(op.lastText(), QStringLiteral("Databáze JENOSOBY neexistuje."));
        QCOMPARE(op.shown.last().title, QStringLiteral("Upozornění"));
        QCOMPARE(op.shown.last().flags, 48);
        QCOMPARE(db->databaseName, QStringLiteral("DEMO"));
        QCOMPARE(db->Table2.tableName(), QStringLiteral("DEMOosoby.DBF"));
        QVERIFY(db->Table3.active());
        QCOMPARE(grid->cell(1, 1), QStringLiteral("AAAA"));
    }

    void theEmptyNameIsADatabase()
    {
        addPerson(db->Table2, QStringLiteral("00000000000000DD"), QStringLiteral("Veselý"));
        db->SaveDatabaseAs(QString());
        QVERIFY(QFile::exists(dir->filePath(QStringLiteral("osoby.DBF"))));
        QVERIFY(QFile::exists(dir->filePath(QStringLiteral("zarizeni.DBF"))));
        QVERIFY(QFile::exists(dir->filePath(QStringLiteral("pracovni.csv"))));
        db->LoadDatabase(QStringLiteral("DEMO"));
        QCOMPARE(db->databaseName, QStringLiteral("DEMO"));
        grid->setCell(1, 2, QStringLiteral("FROMDEMO"));
        db->LoadDatabase(QString());
        QCOMPARE(db->databaseName, QString());
        QCOMPARE(grid->cell(1, 2), QString());
        QCOMPARE(column(db->Table2, 2), QStringList{QStringLiteral("Veselý")});
    }

    void gotoRecordKeepsTheSurnameOrder()
    {
        addPerson(db->Table2, QStringLiteral("0000000000000003"), QStringLiteral("Adam"));
        addPerson(db->Table2, QStringLiteral("0000000000000001"), QStringLiteral("Zeman"));
        addPerson(db->Table2, QStringLiteral("0000000000000002"), QStringLiteral("Čech"));
        box->setChecked(true);
        QCOMPARE(db->Table2.indexFieldNames(), QStringLiteral("OS2"));
        db->GotoRecord(db->Table2.tableName(), QStringLiteral("0000000000000001"));
        QVERIFY(box->isChecked());
        QCOMPARE(db->Table2.indexFieldNames(), QStringLiteral("OS2"));
        QCOMPARE(db->Table2.fieldText(2), QStringLiteral("Zeman"));

        db->GotoRecord(db->Table2.tableName(), QStringLiteral("00000000000000"));  // no such key
        QCOMPARE(db->Table2.fieldText(2), QStringLiteral("Zeman"));
        db->GotoRecord(QStringLiteral("jina"), QStringLiteral("0000000000000003"));
        QCOMPARE(db->Table2.fieldText(2), QStringLiteral("Zeman"));
    }

    void gotoRecordInTheDeviceList()
    {
        Table &t = db->Table3;
        for (const char *n : {"Vrátnice", "Sklad"}) {
            t.append();
            t.setFieldText(1, QString::fromUtf8(n));
            t.setFieldText(2, QStringLiteral("arch%1").arg(t.recordCount() + 1));
            t.post();
        }
        db->GotoRecord(t.tableName(), QStringLiteral("Sklad"));
        QCOMPARE(t.fieldText(1), QStringLiteral("Sklad"));
        QCOMPARE(t.indexFieldNames(), QStringLiteral("ZA2"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    TextTable *grid = nullptr;  // the database's working set
    std::unique_ptr<QCheckBox> box;
    std::unique_ptr<Database> db;
    ScriptedOperator op;
    int refreshes = 0;
};

QTEST_MAIN(TestDatabase)
#include "test_database.moc"
