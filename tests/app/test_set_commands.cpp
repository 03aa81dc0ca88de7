// The set tools end to end through the main window's menu items, speed buttons
// and grids: what the operator sees in the grids and messages, the selection,
// the insertion row, the sort box and the grids hidden while a tool walks.
#include "tests/support/program_fixture.h"
#include "records/working_set.h"
#include "tests/support/table_helpers.h"
#include "ui/db_grid.h"
#include "ui/db_navigator.h"

#include <QCheckBox>
#include <QToolButton>

namespace {
const QString Z = QStringLiteral("0000000000000000");

// Counts the table's changes, and those a grid would have repainted for.
struct WatchHidden {
    WatchHidden(Table &t, QWidget *grid) : table(t)
    {
        id = t.subscribe([this, grid](DataSet::Change) {
            ++changes;
            whileShown += grid->isHidden() ? 0 : 1;
        });
    }
    ~WatchHidden() { table.unsubscribe(id); }
    Table &table;
    int id = 0;
    int changes = 0;
    int whileShown = 0;
};
} // namespace

class TestSetCommands : public QObject, ProgramFixture {
    Q_OBJECT
private slots:
    void init()
    {
        setUp();
        start();
    }
    void cleanup() { tearDown(); }

    // Every command of the tools is enabled, in its menu and on its button.
    void menuItemsAndButtons_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("hint");
        QTest::newRow("copy to archive") << "ZkopirovaniPracovniSestavyDoArchivni1" << "Zkopírování &Pracovní sestavy do Archivní" << 3
                                         << "Zkopírování pracovní sestavy do archivní";
        QTest::newRow("copy to working") << "ZkoprovaniArchivniSestavydopracovn1" << "Zkopírování &Archivní sestavy do Pracovní" << 4
                                         << "Zkopírování archivní sestavy do pracovní";
        QTest::newRow("compare") << "Poravnatarchivnapracovnsetavu1" << "&Porovnat archivní a pracovní sestavu" << 5 << "Porovnat sestavy";
        QTest::newRow("surnames") << "Najtpjmenpodlekdu1" << "&Vyplnit příjmení podle kódu" << 6 << "Vyplnit příjmení podle kódů";
        QTest::newRow("duplicates in the set") << "Vyhledatduplicitnkdyvpracovnsestav1" << "Vyhledat &Duplicitní kódy v Pracovní sestavě" << 7
                                               << "Vyhledat duplicitní kódy";
        QTest::newRow("duplicates of persons") << "VyhledatduplicitnkdyvSeznamuosob1" << "Vyhledat Duplicitní kódy v &Seznamu osob" << 13
                                               << "Vyhledat duplicitní kódy";
        QTest::newRow("add from the archive") << "" << "" << 10 << "Přidat do pracovní sestavy";
        QTest::newRow("add from the persons") << "" << "" << 12 << "Přidat do pracovní sestavy";
    }
    void menuItemsAndButtons()
    {
        QFETCH(QString, item);
        QFETCH(QString, caption);
        QFETCH(int, button);
        QFETCH(QString, hint);
        if (!item.isEmpty()) {
            QAction *a = form1()->menuItem(item);
            QVERIFY(a);
            QCOMPARE(a->text(), caption);
            QVERIFY(a->isEnabled());
        }
        QCOMPARE(form1()->speedButton(button)->toolTip(), hint);
        QVERIFY(form1()->speedButton(button)->isEnabled());
    }

    // The checking tools' buttons run them: on an empty working set, archive
    // set and person list each finds nothing and says so.
    void checkingButtons_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("message");
        QTest::newRow("compare") << 5 << "Pracovní a archivní sestava jsou stejné.";
        QTest::newRow("surnames") << 6 << "V pracovní sestavě mají všechny kódy známého majitele.";
        QTest::newRow("duplicates in the set") << 7 << "V pracovní sestavě jsou všechny kódy pouze jednou.";
        QTest::newRow("duplicates of persons") << 13 << "V seznamu osob jsou všechny kódy pouze jednou.";
    }
    void checkingButtons()
    {
        QFETCH(int, button);
        QFETCH(QString, message);
        form1()->speedButton(button)->click();
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("Potvrzení"));
        QCOMPARE(op.shown[0].text, message);
        QCOMPARE(op.shown[0].flags, 64);
    }

    // Codes and flags, both directions of the rule; the archive set ends on
    // the last difference and the grid's selection on its cell.
    void compareFindsDifferences()
    {
        setSlot(40, {QString(), Z});                        // agrees with empty flags
        grid().setRow(40, {"040", Z, QString()});           // agrees with an empty code
        setSlot(41, {Z, QString()});
        grid().setRow(41, {"041", "FFFFFFFFFFFFFFFF", Z});  // zeros against ones: a difference
        setSlot(300, {"AB", "FFFFFFFFFFFFFFFF"});
        grid().setRow(300, {"300", "AB", "0000000000000000"});  // flags differ
        form1()->StringGrid1->selectCell(3, 7);
        const WatchHidden watch(archive(), form1()->DBGrid1);
        trigger("Poravnatarchivnapracovnsetavu1");
        QVERIFY(watch.changes > 0 && watch.whileShown == 0);
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(op.shown[0].text, QStringLiteral("Nalezeno 2 rozdílů."));
        QCOMPARE(op.shown[0].flags, 48);
        QCOMPARE(form1()->StringGrid1->col(), 2);
        QCOMPARE(form1()->StringGrid1->row(), 300);
        QCOMPARE(form1()->insertionRow, 300);
        QCOMPARE(archive().fieldText(0), QStringLiteral("300"));
        QVERIFY(!form1()->DBGrid1->isHidden());
    }

    // With no finding the cell selected before stays, and so does the insertion row.
    void compareAfterCopyFindsNothing()
    {
        grid().setRow(1, {"master", "0102030405060708", "1000000000000001", "Novák"});
        grid().setRow(510, {"510", "FFFFFFFFFFFFFFFF", "", ""});
        form1()->StringGrid1->selectCell(2, 17);
        {
            const WatchHidden watch(archive(), form1()->DBGrid1);
            trigger("ZkopirovaniPracovniSestavyDoArchivni1");
            QVERIFY(watch.changes > 0 && watch.whileShown == 0);
        }
        QVERIFY(op.shown.isEmpty());
        QCOMPARE(archive().textAt(0, 1), QStringLiteral("0102030405060708"));
        // The grid shows it at once.
        QCOMPARE(form1()->DBGrid1->model()->index(0, 1).data().toString(), QStringLiteral("0102030405060708"));
        QCOMPARE(archive().textAt(509, 1), QStringLiteral("FFFFFFFFFFFFFFFF"));
        trigger("Poravnatarchivnapracovnsetavu1");
        QCOMPARE(op.lastText(), QStringLiteral("Pracovní a archivní sestava jsou stejné."));
        QCOMPARE(form1()->StringGrid1->row(), 17);
        QCOMPARE(form1()->StringGrid1->col(), 2);
        QCOMPARE(form1()->insertionRow, 17);
        QCOMPARE(archive().fieldText(0), QStringLiteral("510"));
    }

    void copyArchiveToWorking()
    {
        setSlot(2, {"1122334455667788", "0101010101010101"});
        grid().setRow(2, {"x", "AA", "BB", "Novák"});
        grid().setRow(1, {"y", "CC", "DD", "Černá"});
        form1()->speedButton(4)->click();
        QCOMPARE(rowOf(1), (QStringList{"master", "", "", ""}));
        QCOMPARE(rowOf(2), (QStringList{"002", "1122334455667788", "0101010101010101", ""}));
        QCOMPARE(grid().cell(1, 0), QStringLiteral("Kód"));
        QVERIFY(!form1()->DBGrid1->isHidden());
    }

    // A text the archive's code page cannot hold stops the copy with the
    // engine's error; the slots before it are written and the grid is back.
    void anErrorShowsTheGridAgain()
    {
        grid().setCell(1, 1, QStringLiteral("AA"));
        grid().setCell(1, 5, QStringLiteral("日本"));
        trigger("ZkopirovaniPracovniSestavyDoArchivni1");
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("TAVO"));
        QCOMPARE(op.shown[0].flags, 16);
        QVERIFY(op.shown[0].text.contains(QStringLiteral("日本")));
        QVERIFY(!form1()->DBGrid1->isHidden());
        QCOMPARE(archive().textAt(0, 1), QStringLiteral("AA"));
        QCOMPARE(archive().state(), DataSet::Browse);
    }

    // Mend: an archive table from an older version with 300 slots gets the
    // missing ones, each with its own row.
    void shortArchiveGetsItsSlots()
    {
        Table &t = archive();
        t.last();
        while (t.recordCount() > 300) {
            t.last();
            t.deleteRecord();
        }
        grid().setCell(1, 301, QStringLiteral("0301"));
        grid().setCell(1, 510, QStringLiteral("0510"));
        trigger("ZkopirovaniPracovniSestavyDoArchivni1");
        QCOMPARE(t.recordCount(), 510);
        QCOMPARE(t.textAt(300, 0), QStringLiteral("301"));
        QCOMPARE(t.textAt(300, 1), QStringLiteral("0301"));
        QCOMPARE(t.textAt(509, 1), QStringLiteral("0510"));
        QCOMPARE(t.textAt(299, 1), QString());
    }

    // Unknown codes become "neznámý" and count; no codes ("CHYBA" too) get an
    // empty name. The sort box ends as it was.
    void fillSurnames_data()
    {
        QTest::addColumn<bool>("sorted");
        QTest::newRow("code order") << false;
        QTest::newRow("sorted by surname") << true;
    }
    void fillSurnames()
    {
        QFETCH(bool, sorted);
        addPerson("00000000000000AA", "Novák");
        addPerson("00000000000000BB", "Černá");
        form1()->CheckBox1->setChecked(sorted);
        grid().setRow(3, {"003", "00000000000000BB", "", "staré"});
        grid().setRow(4, {"004", "CHYBA", "CHYBA", "staré"});
        grid().setRow(5, {"005", "00000000000000CC", "", ""});
        grid().setRow(6, {"006", "00000000000000AA", "", ""});
        grid().setRow(8, {"008", "1234", "", ""});
        form1()->StringGrid1->selectCell(1, 2);
        const WatchHidden watch(persons(), form1()->DBGrid2);
        trigger("Najtpjmenpodlekdu1");
        QVERIFY(watch.changes > 0 && watch.whileShown == 0);
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(op.shown[0].text, QStringLiteral("V pracovní sestavě je 2 neznámých kódů ."));
        QCOMPARE(op.shown[0].flags, 48);
        QCOMPARE(grid().cell(3, 3), QStringLiteral("Černá"));
        QCOMPARE(grid().cell(3, 4), QString());
        QCOMPARE(grid().cell(3, 5), QStringLiteral("neznámý"));
        QCOMPARE(grid().cell(3, 6), QStringLiteral("Novák"));
        QCOMPARE(grid().cell(3, 8), QStringLiteral("neznámý"));
        QCOMPARE(form1()->StringGrid1->row(), 8);
        QCOMPARE(form1()->StringGrid1->col(), 1);
        QCOMPARE(form1()->insertionRow, 8);
        QCOMPARE(form1()->CheckBox1->isChecked(), sorted);
        QCOMPARE(persons().indexFieldNames(), sorted ? QStringLiteral("OS2") : QStringLiteral("OS1"));
        QCOMPARE(persons().fieldText(2), QStringLiteral("Novák"));  // the last person found
        QVERIFY(!form1()->DBGrid2->isHidden() && !form1()->DBNavigator1->isHidden());
    }

    void duplicatesInTheWorkingSet_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("row");
        QTest::newRow("a code") << "0102030405060708" << "V pracovní sestavě je 2 duplicitních kódů." << 9;
        QTest::newRow("zeros") << Z << "V pracovní sestavě jsou všechny kódy pouze jednou." << 30;
    }
    void duplicatesInTheWorkingSet()
    {
        QFETCH(QString, code);
        QFETCH(QString, message);
        QFETCH(int, row);
        for (int r : {5, 9, 20})
            grid().setCell(1, r, code);
        form1()->StringGrid1->selectCell(3, 30);
        trigger("Vyhledatduplicitnkdyvpracovnsestav1");
        QCOMPARE(op.lastText(), message);
        QCOMPARE(form1()->StringGrid1->row(), row);
        QCOMPARE(form1()->StringGrid1->col(), row == 30 ? 3 : 1);
        QCOMPARE(form1()->insertionRow, row);
    }

    // With duplicates the list is left in code order on the first holder of
    // the last duplicate code, the box unticked; without, as it was.
    void duplicatesOfPersons_data()
    {
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<bool>("twice");
        QTest::newRow("unsorted, found") << false << true;
        QTest::newRow("sorted, found") << true << true;
        QTest::newRow("unsorted, none") << false << false;
        QTest::newRow("sorted, none") << true << false;
    }
    void duplicatesOfPersons()
    {
        QFETCH(bool, sorted);
        QFETCH(bool, twice);
        addPerson("00000000000000CC", "Adámek");
        addPerson("00000000000000AA", "Zelený");
        addPerson(twice ? "00000000000000CC" : "00000000000000DD", "Bílá");
        addPerson(twice ? "00000000000000AA" : "00000000000000EE", "Malý");
        addPerson(Z, "Nikdo");
        addPerson(Z, "Nikdo");
        form1()->CheckBox1->setChecked(sorted);
        persons().first();
        const QString before = persons().fieldText(2);
        form1()->speedButton(13)->click();
        QCOMPARE(op.shown.size(), 1);
        if (twice) {
            QCOMPARE(op.shown[0].title, QStringLiteral("Upozornění"));
            QCOMPARE(op.shown[0].text, QStringLiteral("V seznamu osob je 2 duplicitních kódů."));
            QVERIFY(!form1()->CheckBox1->isChecked());
            QCOMPARE(persons().indexFieldNames(), QStringLiteral("OS1"));
            QCOMPARE(persons().fieldText(1), QStringLiteral("00000000000000CC"));
            QCOMPARE(persons().fieldText(2), QStringLiteral("Adámek"));
        } else {
            QCOMPARE(op.shown[0].title, QStringLiteral("Potvrzení"));
            QCOMPARE(form1()->CheckBox1->isChecked(), sorted);
            QCOMPARE(persons().indexFieldNames(), sorted ? QStringLiteral("OS2") : QStringLiteral("OS1"));
            QCOMPARE(persons().fieldText(2), before);
        }
        QVERIFY(!form1()->DBGrid2->isHidden() && !form1()->DBNavigator1->isHidden());
    }

    // Double clicks on the grids add the record under the mouse at the
    // insertion row and move it on; the other column of the row stays, and
    // the grid's selection does not move.
    void doubleClicksAdd()
    {
        setSlot(7, {"7777777777777777", "0000000011111111"});
        addPerson("00000000000000AA", "Novák");
        addPerson("00000000000000BB", "Černá");
        grid().setRow(20, {"020", "x", "flags", "name"});
        grid().setRow(21, {"021", "x", "flags", "name"});
        form1()->StringGrid1->selectCell(2, 20);
        doubleClick(form1()->DBGrid1, 6, 1);
        QCOMPARE(rowOf(20), (QStringList{"020", "7777777777777777", "0000000011111111", "name"}));
        doubleClick(form1()->DBGrid2, 1, 2);
        QCOMPARE(rowOf(21), (QStringList{"021", "00000000000000BB", "flags", "Černá"}));
        QCOMPARE(form1()->insertionRow, 22);
        QCOMPARE(form1()->StringGrid1->row(), 20);
    }

    // After an add into row 510 the next one has no row: nothing is written.
    void addAfterTheLastRow()
    {
        addPerson("00000000000000AA", "Novák");
        persons().first();
        form1()->StringGrid1->selectCell(1, 510);
        form1()->speedButton(12)->click();
        QCOMPARE(rowOf(510), (QStringList{"510", "00000000000000AA", "", "Novák"}));
        const QByteArray before = workingSetBytes(grid());
        form1()->speedButton(12)->click();
        form1()->speedButton(10)->click();
        QCOMPARE(workingSetBytes(grid()), before);
        QVERIFY(op.shown.isEmpty());
        QCOMPARE(grid().rowCount(), 511);
    }

    // In the program's font every key code and flag column shows 16 of its
    // widest characters, every heading is whole, and the main window and the
    // scan's window fit a 1366 x 768 screen.
    void gridsAreLegible()
    {
        auto least = [](const QWidget *g, const QString &text) { return g->fontMetrics().horizontalAdvance(text) + 6; };
        int code = 0;
        for (QChar digit : QStringLiteral("0123456789ABCDEF"))
            code = std::max(code, least(form1()->DBGrid2, QString(16, digit)));
        const QString flags(16, QLatin1Char('0'));
        const QList<QTableView *> grids{form1()->DBGrid1, form1()->DBGrid2, form1()->DBGrid3, form1()->StringGrid1};
        for (QTableView *g : grids) {
            QAbstractItemModel *m = g->model();
            for (int c = 0; c < m->columnCount(); ++c) {
                const QString heading = g == form1()->StringGrid1 ? grid().cell(c, 0) : m->headerData(c, Qt::Horizontal).toString();
                QVERIFY2(g->columnWidth(c) >= least(g, heading), qPrintable(heading));
            }
        }
        for (QTableView *g : {grids[0], grids[1], grids[3]})
            QVERIFY(g->columnWidth(1) >= code);
        for (QTableView *g : {grids[0], grids[3]})
            QVERIFY(g->columnWidth(2) >= least(g, flags));
        QVERIFY(form1()->width() <= 1366 && form1()->height() <= 768 - 40);

        TextGrid *scan = form4()->StringGrid1;
        form1()->codeMemory.startDetected();
        for (int c = 0; c < scan->colCount(); ++c)
            QVERIFY2(scan->columnWidth(c) >= least(scan, scan->cell(c, 0)), qPrintable(scan->cell(c, 0)));
        form4()->hide();
    }

    void sortBox()
    {
        form1()->CheckBox1->click();
        QCOMPARE(persons().indexFieldNames(), QStringLiteral("OS2"));
        form1()->CheckBox1->click();
        QCOMPARE(persons().indexFieldNames(), QStringLiteral("OS1"));
    }

private:
    Table &archive() const { return form1()->db.Table1; }
    Table &persons() const { return form1()->db.Table2; }
    void setSlot(int n, const QStringList &codeAndFlags)
    {
        archive().moveTo(n - 1);
        archive().edit();
        archive().setFieldText(1, codeAndFlags[0]);
        archive().setFieldText(2, codeAndFlags[1]);
        archive().post();
    }
    void addPerson(const QString &code, const QString &surname) { addRecord(persons(), {QString(), code, surname}); }
    QStringList rowOf(int r) const
    {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << grid().cell(c, r);
        return cells;
    }
    void doubleClick(DBGrid *g, int row, int col)
    {
        const QPoint at = g->visualRect(g->model()->index(row, col)).center();
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, at);
    }
};

QTEST_MAIN(TestSetCommands)
#include "test_set_commands.moc"
