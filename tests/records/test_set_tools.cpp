// The set tools' walks over the working set, the archive set and the person
// list: the compare rules, both copies, archive tables of other sizes, the
// surname fill, both duplicate searches and the adds at the insertion row.
#include "records/database.h"
#include "records/set_tools.h"
#include "records/working_set.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/table_helpers.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
const QString Z = QStringLiteral("0000000000000000");
const QString F = QStringLiteral("FFFFFFFFFFFFFFFF");

// Slot n's record in the archive's slot order.
QStringList slotRecord(Table &archive, int n)
{
    return {archive.textAt(n - 1, 0), archive.textAt(n - 1, 1), archive.textAt(n - 1, 2)};
}
} // namespace

class TestSetTools : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        set = std::make_unique<WorkingSet>();
        archive = std::make_unique<Table>();
        persons = std::make_unique<Table>();
        openArchive(SlotCount);
        Table::create(dir->path(), QStringLiteral("osoby"), personFields());
        persons->setDatabaseFolder(dir->path());
        persons->setTableName(QStringLiteral("osoby"));
        persons->setIndexFieldNames(QStringLiteral("OS1"));
        persons->open();
    }
    void cleanup()
    {
        archive.reset();
        persons.reset();
        set.reset();
    }

    void noCodeTexts_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("none");
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("zeros") << Z << true;
        QTest::newRow("ones") << F << true;
        QTest::newRow("CHYBA") << QStringLiteral("CHYBA") << true;
        QTest::newRow("lower-case ones") << QStringLiteral("ffffffffffffffff") << false;
        QTest::newRow("short zeros") << QStringLiteral("0") << false;
        QTest::newRow("chyba") << QStringLiteral("chyba") << false;
        QTest::newRow("a blank") << QStringLiteral(" ") << false;
    }
    void noCodeTexts()
    {
        QFETCH(QString, code);
        QFETCH(bool, none);
        QCOMPARE(isNoCode(code), none);
    }

    // One slot holds `archived` in the column's field, the working set
    // `working` in the column; every other slot agrees.
    void compareRules_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("archived");
        QTest::addColumn<QString>("working");
        QTest::addColumn<bool>("agrees");
        for (int col : {1, 2}) {
            const QByteArray c = col == 1 ? "code: " : "flags: ";
            QTest::newRow((c + "equal").constData()) << col << QStringLiteral("12AB") << QStringLiteral("12AB") << true;
            QTest::newRow((c + "empty / zeros").constData()) << col << QString() << Z << true;
            QTest::newRow((c + "empty / ones").constData()) << col << QString() << F << true;
            QTest::newRow((c + "zeros / empty").constData()) << col << Z << QString() << true;
            QTest::newRow((c + "ones / empty").constData()) << col << F << QString() << true;
            QTest::newRow((c + "zeros / ones").constData()) << col << Z << F << false;
            QTest::newRow((c + "ones / zeros").constData()) << col << F << Z << false;
            QTest::newRow((c + "empty / CHYBA").constData()) << col << QString() << QStringLiteral("CHYBA") << false;
            QTest::newRow((c + "CHYBA / empty").constData()) << col << QStringLiteral("CHYBA") << QString() << false;
            QTest::newRow((c + "CHYBA / CHYBA").constData()) << col << QStringLiteral("CHYBA") << QStringLiteral("CHYBA") << true;
            QTest::newRow((c + "letter case").constData()) << col << QStringLiteral("12ab") << QStringLiteral("12AB") << false;
            QTest::newRow((c + "lower-case ones / empty").constData()) << col << QStringLiteral("ffffffffffffffff") << QString() << false;
            QTest::newRow((c + "short / padded").constData()) << col << QStringLiteral("12AB") << QStringLiteral("12AB000000000000") << false;
        }
    }
    void compareRules()
    {
        QFETCH(int, col);
        QFETCH(QString, archived);
        QFETCH(QString, working);
        QFETCH(bool, agrees);
        QCOMPARE(archiveAgrees(archived, working), agrees);
        setSlot(77, col, archived);
        set->setCell(col, 77, working);
        const Comparison found = compareSets(*set, *archive);
        QCOMPARE(found.count, agrees ? 0 : 1);
        QCOMPARE(found.col, agrees ? -1 : col);
        QCOMPARE(found.row, agrees ? -1 : 77);
        // On the record of the difference, or on the last slot.
        QCOMPARE(archive->fieldText(0), agrees ? QStringLiteral("510") : QStringLiteral("077"));
    }

    // Each pair counts; the last one in the walk (slot order, code before flags) is noted.
    void compareNotesTheLastDifference()
    {
        set->setCell(1, 3, QStringLiteral("AA"));
        set->setCell(2, 3, QStringLiteral("1"));
        set->setCell(1, 300, QStringLiteral("BB"));
        set->setCell(2, 9, QStringLiteral("01"));
        const Comparison found = compareSets(*set, *archive);
        QCOMPARE(found.count, 4);
        QCOMPARE(found.col, 1);
        QCOMPARE(found.row, 300);
        QCOMPARE(archive->fieldText(0), QStringLiteral("300"));
        QCOMPARE(archive->bookmark(), found.record);
    }

    void copyWorkingToArchiveAndCompare()
    {
        for (int n = 1; n <= SlotCount; ++n)
            set->setRow(n, {QStringLiteral("x"), QStringLiteral("%1").arg(n * 7919, 16, 16, QLatin1Char('0')).toUpper(),
                            QStringLiteral("1010"), QStringLiteral("Novák")});
        set->setCell(1, 12, QStringLiteral("CHYBA"));
        copyWorkingToArchive(*set, *archive);
        QCOMPARE(archive->recordCount(), SlotCount);
        QCOMPARE(slotRecord(*archive, 1), (QStringList{"001", set->cell(1, 1), "1010"}));
        QCOMPARE(slotRecord(*archive, 12), (QStringList{"012", "CHYBA", "1010"}));
        QCOMPARE(slotRecord(*archive, 510), (QStringList{"510", set->cell(1, 510), "1010"}));
        QCOMPARE(compareSets(*set, *archive).count, 0);
        // What went in comes back from the file.
        archive->close();
        archive->open();
        QCOMPARE(slotRecord(*archive, 250), (QStringList{"250", set->cell(1, 250), "1010"}));
    }

    void copyArchiveToWorking()
    {
        setSlot(1, 1, QStringLiteral("0102030405060708"));
        setSlot(1, 2, QStringLiteral("1111000011110000"));
        setSlot(510, 1, QStringLiteral("AB"));
        set->setRow(0, {QStringLiteral("Pozice"), QStringLiteral("Kód"), QStringLiteral("Příznaky"), QStringLiteral("Jméno")});
        for (int n = 1; n <= SlotCount; ++n)
            set->setRow(n, {QStringLiteral("?"), QStringLiteral("C"), QStringLiteral("F"), QStringLiteral("Novák")});
        ::copyArchiveToWorking(*archive, *set);
        QCOMPARE(rowOf(1), (QStringList{"master", "0102030405060708", "1111000011110000", ""}));
        QCOMPARE(rowOf(2), (QStringList{"002", "", "", ""}));
        QCOMPARE(rowOf(99), (QStringList{"099", "", "", ""}));
        QCOMPARE(rowOf(510), (QStringList{"510", "AB", "", ""}));
        QCOMPARE(rowOf(0), (QStringList{"Pozice", "Kód", "Příznaky", "Jméno"}));
    }

    // Mend: a table of another size. A short one gets its missing slots
    // rather than its last record written over and over; records past the
    // 510th are never touched.
    void archiveOfAnotherSize_data()
    {
        QTest::addColumn<int>("records");
        QTest::newRow("empty") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("300") << 300;
        QTest::newRow("509") << 509;
        QTest::newRow("520") << 520;
    }
    void archiveOfAnotherSize()
    {
        QFETCH(int, records);
        openArchive(records, QStringLiteral("old"));
        for (int n = 1; n <= SlotCount; ++n)
            set->setRow(n, {slotLabel(n), QStringLiteral("C%1").arg(n), QStringLiteral("F%1").arg(n)});
        copyWorkingToArchive(*set, *archive);
        QCOMPARE(archive->recordCount(), std::max(records, SlotCount));
        for (int n : {1, 2, records, records + 1, 510}) {
            if (n < 1 || n > SlotCount)
                continue;
            QCOMPARE(slotRecord(*archive, n), (QStringList{slotNumber(n), QStringLiteral("C%1").arg(n), QStringLiteral("F%1").arg(n)}));
        }
        for (int n = SlotCount + 1; n <= records; ++n)
            QCOMPARE(slotRecord(*archive, n), (QStringList{slotNumber(n), "old", "old"}));
        QCOMPARE(compareSets(*set, *archive).count, 0);
    }

    // Reading a short table: the rows past its end are empty slots, not its last record again.
    void shortArchiveReadsAsEmptySlots()
    {
        openArchive(2, QStringLiteral("old"));
        ::copyArchiveToWorking(*archive, *set);
        QCOMPARE(rowOf(2), (QStringList{"002", "old", "old", ""}));
        QCOMPARE(rowOf(3), (QStringList{"003", "", "", ""}));
        QCOMPARE(rowOf(510), (QStringList{"510", "", "", ""}));
        QCOMPARE(archive->recordCount(), SlotCount);
    }

    // A table from another program with no slot numbers: each record changes
    // its place in the slot order when it gets its number, and the walk must
    // still give every row a record of its own.
    void archiveWithoutSlotNumbers()
    {
        Table::create(dir->path(), QStringLiteral("blank"), archiveFields());
        reopenArchive(QStringLiteral("blank"));
        for (int n = 1; n <= SlotCount; ++n)
            addRecord(*archive, {QString(), QStringLiteral("OLD%1").arg(n)});
        for (int n = 1; n <= SlotCount; ++n)
            set->setCell(1, n, QStringLiteral("N%1").arg(n));
        copyWorkingToArchive(*set, *archive);
        QCOMPARE(archive->recordCount(), SlotCount);
        for (int n = 1; n <= SlotCount; ++n)
            QCOMPARE(slotRecord(*archive, n), (QStringList{slotNumber(n), QStringLiteral("N%1").arg(n), ""}));
    }

    void fillSurnames()
    {
        addPerson(QStringLiteral("00000000000000AA"), QStringLiteral("Novák"));
        addPerson(QStringLiteral("00000000000000BB"), QStringLiteral("Černá"));
        addPerson(QStringLiteral("00000000000000BB"), QStringLiteral("Dvořák"));  // the first holder counts
        addPerson(Z, QStringLiteral("Nula"));
        addPerson(QStringLiteral("CHYBA"), QStringLiteral("Chyba"));
        const QStringList codes{"00000000000000BB", "", Z, F, "CHYBA", "00000000000000aa", "00000000000000CC",
                                "00000000000000AA", "00000000000000AA "};
        for (int i = 0; i < codes.size(); ++i)
            set->setRow(i + 1, {slotLabel(i + 1), codes[i], QString(), QStringLiteral("staré")});
        set->setCell(3, 300, QStringLiteral("staré"));
        const Finding found = ::fillSurnames(*set, *persons);
        const QStringList names{"Černá", "", "", "", "", "neznámý", "neznámý", "Novák"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(set->cell(3, i + 1), names[i]);
        QCOMPARE(set->cell(3, 300), QString());  // an empty row is no code
        QCOMPARE(found.count, 3);                // "...AA " has a blank the field cannot hold
        QCOMPARE(found.col, 1);
        QCOMPARE(found.row, 9);
        QCOMPARE(persons->fieldText(2), QStringLiteral("Novák"));  // the last person found
        QCOMPARE(persons->indexFieldNames(), QStringLiteral("OS1"));
    }

    void fillSurnamesWithNoPersons()
    {
        set->setCell(1, 4, QStringLiteral("1234"));
        set->setCell(1, 8, QStringLiteral("5678"));
        const Finding found = ::fillSurnames(*set, *persons);
        QCOMPARE(found.count, 2);
        QCOMPARE(found.row, 8);
        QCOMPARE(set->cell(3, 4), QStringLiteral("neznámý"));
    }

    void workingSetDuplicates_data()
    {
        QTest::addColumn<QStringList>("codes");  // "row=code"
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("row");
        QTest::newRow("rows 5, 9, 20") << QStringList{"5=AA", "9=AA", "20=AA"} << 2 << 9;
        QTest::newRow("then a later pair") << QStringList{"5=AA", "9=AA", "20=AA", "30=BB", "400=BB"} << 3 << 30;
        QTest::newRow("rows 1 and 510") << QStringList{"1=AA", "510=AA"} << 1 << 1;
        QTest::newRow("zeros everywhere") << QStringList{"1=" + Z, "2=" + Z, "3=" + Z, "4=" + F, "5=" + F} << 0 << -1;
        QTest::newRow("CHYBA twice") << QStringList{"7=CHYBA", "8=CHYBA"} << 0 << -1;
        QTest::newRow("letter case") << QStringList{"7=ab", "8=AB"} << 0 << -1;
        QTest::newRow("lower-case ones") << QStringList{"7=ffffffffffffffff", "8=ffffffffffffffff"} << 1 << 7;
        QTest::newRow("all different") << QStringList{"7=A", "8=B", "9=C"} << 0 << -1;
    }
    void workingSetDuplicates()
    {
        QFETCH(QStringList, codes);
        QFETCH(int, count);
        QFETCH(int, row);
        for (const QString &c : codes)
            set->setCell(1, c.section('=', 0, 0).toInt(), c.section('=', 1));
        const Finding found = ::workingSetDuplicates(*set);
        QCOMPARE(found.count, count);
        QCOMPARE(found.row, row);
        QCOMPARE(found.col, row < 0 ? -1 : 1);
    }

    void personDuplicates_data()
    {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("last");
        QTest::newRow("none") << QStringList{} << 0 << QString();
        QTest::newRow("one person") << QStringList{"AA"} << 0 << QString();
        QTest::newRow("all different") << QStringList{"CC", "AA", "BB"} << 0 << QString();
        QTest::newRow("three holders") << QStringList{"BB", "AA", "BB", "CC", "BB"} << 2 << "BB";
        QTest::newRow("two pairs apart in the file") << QStringList{"DD", "AA", "CC", "AA", "DD"} << 2 << "DD";
        QTest::newRow("no codes") << QStringList{"", "", Z, Z, F, F, "CHYBA", "CHYBA"} << 0 << QString();
    }
    void personDuplicates()
    {
        QFETCH(QStringList, codes);
        QFETCH(int, count);
        QFETCH(QString, last);
        for (const QString &c : codes)
            addPerson(c, QStringLiteral("X"));
        persons->setIndexFieldNames(QStringLiteral("OS2"));  // sorted by surname before
        persons->first();
        const auto current = persons->bookmark();
        const PersonDuplicates found = ::personDuplicates(*persons);
        QCOMPARE(found.count, count);
        QCOMPARE(found.lastCode, last);
        QCOMPARE(persons->indexFieldNames(), QStringLiteral("OS1"));
        QCOMPARE(persons->bookmark(), current);
    }

    void addsFillConsecutiveRows()
    {
        setSlot(5, 1, QStringLiteral("1122334455667788"));
        setSlot(5, 2, QStringLiteral("0101"));
        addPerson(QStringLiteral("AABBCCDDEEFF0011"), QStringLiteral("Šťastný"));
        set->setRow(40, {QStringLiteral("040"), QStringLiteral("x"), QStringLiteral("flags"), QStringLiteral("name")});
        set->setRow(41, {QStringLiteral("041"), QStringLiteral("x"), QStringLiteral("flags"), QStringLiteral("name")});
        int row = 40;
        QVERIFY(addFromArchive(*set, row, *archive));
        QCOMPARE(rowOf(40), (QStringList{"040", "1122334455667788", "0101", "name"}));
        QCOMPARE(row, 41);
        QVERIFY(addFromPersons(*set, row, *persons));
        QCOMPARE(rowOf(41), (QStringList{"041", "AABBCCDDEEFF0011", "flags", "Šťastný"}));
        QCOMPARE(row, 42);
    }

    // After an add into row 510 there is no row left: nothing is written
    // anywhere, and neither into the heading row.
    void addsPastTheLastRow_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("added");
        QTest::newRow("510") << 510 << true;
        QTest::newRow("511") << 511 << false;
        QTest::newRow("0") << 0 << false;
    }
    void addsPastTheLastRow()
    {
        QFETCH(int, row);
        QFETCH(bool, added);
        addPerson(QStringLiteral("AA"), QStringLiteral("Novák"));
        const QByteArray before = workingSetBytes(*set);
        int at = row;
        QCOMPARE(addFromPersons(*set, at, *persons), added);
        QCOMPARE(addFromArchive(*set, at, *archive), false);
        QCOMPARE(at, added ? row + 1 : row);
        QCOMPARE(set->rowCount(), WorkingSet::Rows);
        if (added)
            QCOMPARE(rowOf(510), (QStringList{"510", "AA", "", "Novák"}));
        else
            QCOMPARE(workingSetBytes(*set), before);
    }

private:
    // An archive table of `records` slots "001" ... whose other fields hold `fill`.
    void openArchive(int records, const QString &fill = QString())
    {
        const QString name = QStringLiteral("arch%1").arg(records);
        Table::create(dir->path(), name, archiveFields());
        reopenArchive(name);
        for (int n = 1; n <= records; ++n)
            addRecord(*archive, {slotNumber(n), fill, fill});
    }
    void reopenArchive(const QString &name)
    {
        archive->close();
        archive->setDatabaseFolder(dir->path());
        archive->setTableName(name);
        archive->setIndexFieldNames(QStringLiteral("SE0"));
        archive->open();
    }
    void setSlot(int n, int field, const QString &text)
    {
        archive->moveTo(n - 1);
        archive->edit();
        archive->setFieldText(field, text);
        archive->post();
    }
    void addPerson(const QString &code, const QString &surname) { addRecord(*persons, {QString(), code, surname}); }
    QStringList rowOf(int r) const
    {
        QStringList cells;
        for (int c = 0; c < WorkingSet::Cols; ++c)
            cells << set->cell(c, r);
        return cells;
    }

    ScriptedOperator op;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<WorkingSet> set;
    std::unique_ptr<Table> archive, persons;
};

QTEST_MAIN(TestSetTools)
#include "test_set_tools.moc"
