// Device selection: the device-list row's fields become the link values, bad
// fields get their defaults written back, and the archive set follows the row.
#include "devices/code_memory/code_memory.h"
#include "link/link.h"
#include "records/database.h"
#include "records/working_set.h"
#include "sim/sim_bus.h"
#include "tests/support/scripted_operator.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace sim;

class TestDeviceSelection : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        db = std::make_unique<Database>();
        db->programFolder = dir->path() + QLatin1Char('/');
        db->databaseFolder = dir->path();
        // The main window refreshes its headings when a table opens or switches.
        for (Table *t : {&db->Table1, &db->Table2, &db->Table3})
            t->subscribe([this, t](DataSet::Change c) {
                if (c == DataSet::Change::Structure && t->active())
                    ++refreshes;
            });
        db->Table1.setTableName(QStringLiteral("arch1"));
        db->Table2.setTableName(QStringLiteral("DEMOosoby"));
        db->Table3.setTableName(QStringLiteral("DEMOzarizeni"));
        db->openTables();
        link = std::make_unique<Link>(std::make_unique<SimBus>());
        cm = std::make_unique<CodeMemory>(*link, *db);
        op.shown.clear();
        op.answers.clear();
        refreshes = 0;
    }
    void cleanup()
    {
        cm.reset();
        db->closeTables();
    }

    void anEmptyListGetsADefaultRow()
    {
        cm->selectDevice();
        Table &t = db->Table3;
        QCOMPARE(t.recordCount(), 1);
        const QStringList row{t.fieldText(1), t.fieldText(2), t.fieldText(3), t.fieldText(4), t.fieldText(5)};
        QCOMPARE(row, (QStringList{"Nepojmenováno", "arch1", "255", "5", "510"}));
        QCOMPARE(cm->deviceName, QStringLiteral("Nepojmenováno"));
        QCOMPARE(link->currentAddress, qint16(255));
        QCOMPARE(link->relayTime, qint16(5));
        QCOMPARE(link->codeCount, qint16(510));
        QCOMPARE(refreshes, 1);
        QVERIFY(db->Table1.active());
    }

    void numberFields_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("relay");
        QTest::addColumn<QString>("codes");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("plain") << "7" << "12" << "100" << QStringList{"7", "12", "100"};
        QTest::newRow("long texts cut to 3") << "1234" << "0071" << "5109" << QStringList{"123", "7", "510"};
        QTest::newRow("not digits") << "12a" << "x" << "5 1" << QStringList{"255", "5", "510"};
        QTest::newRow("empty") << "" << "" << "" << QStringList{"255", "5", "510"};
        QTest::newRow("out of range") << "300" << "256" << "511" << QStringList{"255", "5", "510"};
        QTest::newRow("edges") << "0" << "255" << "0" << QStringList{"0", "255", "0"};
    }
    void numberFields()
    {
        QFETCH(QString, address);
        QFETCH(QString, relay);
        QFETCH(QString, codes);
        QFETCH(QStringList, written);
        Table &t = db->Table3;
        t.append();
        t.setFieldText(1, QStringLiteral("Vrátnice"));
        t.setFieldText(2, QStringLiteral("arch1"));
        t.setFieldText(3, address);
        t.setFieldText(4, relay);
        t.setFieldText(5, codes);
        t.post();
        cm->selectDevice();
        QCOMPARE((QStringList{t.fieldText(3), t.fieldText(4), t.fieldText(5)}), written);
        QCOMPARE(link->currentAddress, qint16(written[0].toInt()));
        QCOMPARE(link->relayTime, qint16(written[1].toInt()));
        QCOMPARE(link->codeCount, qint16(written[2].toInt()));
        QCOMPARE(cm->deviceName, QStringLiteral("Vrátnice"));
        t.close();
        t.open();
        QCOMPARE(t.textAt(0, 3), written[0]);
    }

    void aMissingArchiveTable()
    {
        Table &a = db->Table1;
        a.first();
        a.edit();
        a.setFieldText(1, QStringLiteral("ABCDEF0000000001"));
        a.post();
        Table &t = db->Table3;
        t.append();
        t.setFieldText(2, QStringLiteral("sklad"));
        t.post();

        op.answers = {IDNO};
        cm->selectDevice();
        QCOMPARE(op.lastText(), QStringLiteral("Sestava neexistuje. Chcete vytvořit novou sestavu sklad ?"));
        QCOMPARE(op.shown.last().flags, 36);
        QCOMPARE(a.tableName(), QStringLiteral("arch1"));
        QVERIFY(a.active());
        QCOMPARE(t.fieldText(2), QStringLiteral("sklad"));
        QVERIFY(!QFile::exists(dir->filePath(QStringLiteral("sklad.DBF"))));

        op.answers = {IDYES};
        cm->selectDevice();
        QCOMPARE(a.tableName(), QStringLiteral("sklad"));
        QVERIFY(a.active());
        QCOMPARE(a.recordCount(), 510);
        a.first();
        QCOMPARE(a.fieldText(1), QStringLiteral("ABCDEF0000000001"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Database> db;
    std::unique_ptr<Link> link;
    std::unique_ptr<CodeMemory> cm;
    ScriptedOperator op;
    int refreshes = 0;
};

QTEST_MAIN(TestDeviceSelection)
#include "test_device_selection.moc"
