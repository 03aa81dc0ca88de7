// The table views: the grid and the navigator bound to a table.

#include "records/table.h"
#include "tests/records/dbf_fixture.h"
#include "tests/support/scripted_operator.h"
#include "ui/db_grid.h"
#include "ui/db_navigator.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
const QList<FieldDef> Fields = {{"OS0", 'C', 6, 0}, {"OS1", 'C', 16, 0}, {"OS2", 'C', 20, 0}};

void addRecord(Table &t, const QStringList &values)
{
    t.append();
    for (int i = 0; i < values.size(); ++i)
        t.setFieldText(i, values[i]);
    t.post();
}

void sendKey(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
}
} // namespace

class TestTableViews : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> tmp;
    std::unique_ptr<Table> table;
    std::unique_ptr<DBGrid> grid;

    QString cell(int row, int col) const { return grid->model()->index(row, col).data().toString(); }
    QString indicator(int row) const { return grid->model()->headerData(row, Qt::Vertical).toString(); }
    QLineEdit *editor() const { return qobject_cast<QLineEdit *>(grid->indexWidget(grid->currentIndex())); }

private slots:
    void init()
    {
        tmp = std::make_unique<QTemporaryDir>();
        Table::create(tmp->path(), "osoby", Fields);
        table = std::make_unique<Table>();
        table->setDatabaseFolder(tmp->path());
        table->setTableName("osoby");
        table->setIndexFieldNames("OS2");
        table->open();
        addRecord(*table, {"1", "00000000000000A1", "Novák"});
        addRecord(*table, {"2", "00000000000000B2", "Čermák"});
        addRecord(*table, {"3", "00000000000000C3", "Zelený"});
        table->first();
        grid = std::make_unique<DBGrid>();
        grid->setTable(table.get());
        grid->resize(600, 300);
        grid->show();
    }
    void cleanup()
    {
        grid.reset();
        table.reset();
    }

    void showsTheFieldsInIndexOrderUnderTheirLabels()
    {
        table->setDisplayLabel(2, "Příjmení");
        QCOMPARE(grid->model()->columnCount(), 3);
        QCOMPARE(grid->model()->headerData(2, Qt::Horizontal).toString(), QString("Příjmení"));
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QString("OS0"));
        QCOMPARE((QStringList{cell(0, 2), cell(1, 2), cell(2, 2)}), (QStringList{"Čermák", "Novák", "Zelený"}));
        table->setIndexFieldNames("OS1");
        QCOMPARE(cell(0, 2), QString("Novák"));
    }

    void recordIndicatorAndCurrentRowFollowTheTable()
    {
        QCOMPARE(grid->currentIndex().row(), 0);
        QVERIFY(!indicator(0).isEmpty());
        table->last();
        QCOMPARE(grid->currentIndex().row(), 2);
        QVERIFY(indicator(0).isEmpty());
        QVERIFY(!indicator(2).isEmpty());
        grid->setCurrentIndex(grid->model()->index(1, 0));
        QCOMPARE(table->fieldText(2), QString("Novák"));
    }

    void editsInPlaceAndPostsWhenLeavingTheRow()
    {
        grid->setCurrentIndex(grid->model()->index(1, 2));
        QLineEdit *e = editor();
        QVERIFY(e);  // the editor is shown at once
        QCOMPARE(e->maxLength(), 20);
        e->setText("Nováková");
        grid->setCurrentIndex(grid->model()->index(0, 2));
        QCOMPARE(table->state(), Table::Browse);
        Table reader;
        reader.setDatabaseFolder(tmp->path());
        reader.setTableName("osoby");
        reader.setIndexFieldNames("OS0");
        reader.open();
        QVERIFY(reader.findKey("1"));
        QCOMPARE(reader.fieldText(2), QString("Nováková"));
    }

    // The record the operator moves to is the one that row showed, though
    // posting the record left behind moves it in the order.
    void leavingAPostedRowReachesTheRecordChosen_data()
    {
        QTest::addColumn<int>("editedRow");  // 3: a record inserted
        QTest::addColumn<QString>("surname");
        QTest::addColumn<int>("chosenRow");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("moves down past the row chosen") << 0 << "Vávra" << 1 << "Novák";
        QTest::newRow("moves up past the row chosen") << 2 << "Adam" << 1 << "Novák";
        QTest::newRow("inserted before the row chosen") << 3 << "Adam" << 1 << "Novák";
    }
    void leavingAPostedRowReachesTheRecordChosen()
    {
        QFETCH(int, editedRow);
        QFETCH(QString, surname);
        QFETCH(int, chosenRow);
        QFETCH(QString, chosen);
        if (editedRow == table->recordCount())
            table->insert();
        grid->setCurrentIndex(grid->model()->index(editedRow, 2));
        QVERIFY(editor());
        editor()->setText(surname);
        grid->setCurrentIndex(grid->model()->index(chosenRow, 2));
        QCOMPARE(table->state(), Table::Browse);
        QCOMPARE(table->fieldText(2), chosen);
        QCOMPARE(grid->currentIndex().row(), table->recNo());
        QCOMPARE(cell(grid->currentIndex().row(), 2), chosen);
    }

    void editorShownWithTheFocus()
    {
        QApplication::setActiveWindow(grid.get());
        grid->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return editor() != nullptr; }));
    }

    void editorRefusesWhatWindows1250CannotHold()
    {
        grid->setCurrentIndex(grid->model()->index(1, 2));
        QLineEdit *e = editor();
        QVERIFY(e);
        QVERIFY(e->validator());
        QString good = "Řeřicha", bad = "Ř中";
        int pos = 0;
        QCOMPARE(e->validator()->validate(good, pos), QValidator::Acceptable);
        QCOMPARE(e->validator()->validate(bad, pos), QValidator::Invalid);
    }

    void ctrlDeleteAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("left");
        QTest::newRow("no keeps the record") << int(IDNO) << 3;
        QTest::newRow("yes deletes it") << int(IDYES) << 2;
    }
    void ctrlDeleteAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(int, left);
        ScriptedOperator op;
        op.answers = {answer};
        grid->setCurrentIndex(grid->model()->index(1, 2));
        QVERIFY(editor());
        sendKey(editor(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QString("Confirm"));
        QCOMPARE(op.shown[0].text, QString("Delete record?"));
        QCOMPARE(op.shown[0].flags, 36);
        QCOMPARE(table->recordCount(), left);
        QCOMPARE(grid->model()->rowCount(), left);
    }

    void escapeGivesUpTheRecordUnderEdit_data()
    {
        QTest::addColumn<bool>("inserting");
        QTest::addColumn<bool>("onTheEditor");  // the key reaches the open editor, or the grid itself
        QTest::newRow("edit, editor") << false << true;
        QTest::newRow("edit, grid") << false << false;
        QTest::newRow("insert, editor") << true << true;
        QTest::newRow("insert, grid") << true << false;
    }
    // A record that cannot be stored can always be given up from the grid.
    void escapeGivesUpTheRecordUnderEdit()
    {
        QFETCH(bool, inserting);
        QFETCH(bool, onTheEditor);
        ScriptedOperator op;
        grid->setCurrentIndex(grid->model()->index(1, 2));
        inserting ? table->insert() : table->edit();
        table->setFieldText(2, "Neuloženo");
        if (onTheEditor) {
            grid->edit(grid->currentIndex());
            QVERIFY(editor());
            sendKey(editor(), Qt::Key_Escape);
        } else {
            sendKey(grid.get(), Qt::Key_Escape);
        }
        QCOMPARE(table->state(), Table::Browse);
        QCOMPARE(table->recordCount(), 3);
        QCOMPARE(grid->model()->rowCount(), 3);
        for (int row = 0; row < 3; ++row)
            QVERIFY(cell(row, 2) != "Neuloženo");
        QVERIFY2(op.shown.isEmpty(), qPrintable(op.lastText()));
    }

    // Typing into a memo's cell cannot touch its block pointer: the text is
    // refused and the record is not left under edit.
    void memoCellRefusesWhatIsTyped()
    {
        Fixture f;
        f.version = 0x83;
        f.fields = {{"OS1", 'C', 4}, {"POZN", 'M', 10}};
        f.records = {f.record(' ', {"0001", "         1"})};
        f.write(tmp->filePath("memo.DBF"));
        QByteArray dbt(512, '\0');
        dbt[0] = 2;
        dbt += QByteArray("Dlouha poznamka k osobe\x1A\x1A");
        QFile out(tmp->filePath("memo.DBT"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(dbt);
        out.close();
        ScriptedOperator op;
        Table memo;
        memo.setDatabaseFolder(tmp->path());
        memo.setTableName("memo");
        memo.open();
        grid->setTable(&memo);
        grid->setCurrentIndex(grid->model()->index(0, 1));
        QCOMPARE(cell(0, 1), QString("Dlouha poznamka k osobe"));
        QVERIFY(!grid->model()->setData(grid->model()->index(0, 1), "7", Qt::EditRole));
        QCOMPARE(memo.state(), Table::Browse);
        QCOMPARE(op.shown.size(), 1);
        grid->setTable(nullptr);
        memo.close();
        QCOMPARE(readAll(tmp->filePath("memo.DBF")), f.bytes());
    }

    void columnWidthsLastOverReopening()
    {
        grid->setColumnWidths({27, 0, 61});
        QCOMPARE(grid->columnWidth(0), 27);
        table->close();
        table->open();
        QCOMPARE(grid->columnWidth(0), 27);
        QCOMPARE(grid->columnWidth(2), 61);
        QCOMPARE(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    }

    void doubleClickCallsBack()
    {
        int calls = 0;
        QObject::connect(grid.get(), &DBGrid::recordDoubleClicked, grid.get(), [&] { ++calls; });
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(5, 280));
        QCOMPARE(calls, 1);
        grid->setCurrentIndex(grid->model()->index(1, 2));
        QVERIFY(editor());
        QTest::mouseDClick(editor(), Qt::LeftButton);
        QCOMPARE(calls, 2);
    }

    void tabMovesBetweenCells()
    {
        QVERIFY(grid->tabKeyNavigation());
        grid->setCurrentIndex(grid->model()->index(0, 0));
        sendKey(grid.get(), Qt::Key_Tab);
        QCOMPARE(grid->currentIndex().column(), 1);
    }

    void insertedRecordShowsAsANewRow()
    {
        table->insert();
        QCOMPARE(grid->model()->rowCount(), 4);
        QCOMPARE(grid->currentIndex().row(), 3);
        QCOMPARE(indicator(3), QString("*"));
        table->setFieldText(2, "Adam");
        QCOMPARE(cell(3, 2), QString("Adam"));
        table->post();
        QCOMPARE(grid->model()->rowCount(), 4);
        QCOMPARE(cell(0, 2), QString("Adam"));
        QCOMPARE(grid->currentIndex().row(), 0);
    }

    void navigatorButtons()
    {
        DBNavigator nav;
        nav.setTable(table.get());
        const QStringList hints{"Přejít na první záznam", "Přejít na poslední záznam", "Vložit záznam",
                                "Odstranit záznam", "Potvrdit úpravu", "Stornovat úpravu", "Obnovit tabulku"};
        for (int b = 0; b < DBNavigator::ButtonCount; ++b) {
            QCOMPARE(nav.button(DBNavigator::Button(b))->toolTip(), hints[b]);
            QVERIFY(!nav.button(DBNavigator::Button(b))->icon().isNull());
        }
        QVERIFY(!nav.button(DBNavigator::Post)->isEnabled());
        nav.button(DBNavigator::Last)->click();
        QCOMPARE(table->fieldText(2), QString("Zelený"));
        QVERIFY(!nav.button(DBNavigator::Last)->isEnabled());
        nav.button(DBNavigator::Insert)->click();
        QCOMPARE(table->state(), Table::Insert);
        QVERIFY(nav.button(DBNavigator::Post)->isEnabled());
        table->setFieldText(2, "Beneš");
        nav.button(DBNavigator::Post)->click();
        QCOMPARE(table->recordCount(), 4);
        nav.button(DBNavigator::First)->click();
        QCOMPARE(table->fieldText(2), QString("Beneš"));
        table->edit();
        table->setFieldText(2, "Jiný");
        nav.button(DBNavigator::Cancel)->click();
        QCOMPARE(table->fieldText(2), QString("Beneš"));
    }

    void navigatorDeleteAsksFirst()
    {
        DBNavigator nav;
        nav.setTable(table.get());
        ScriptedOperator op;
        op.answers = {IDNO, IDYES};
        nav.button(DBNavigator::Delete)->click();
        QCOMPARE(table->recordCount(), 3);
        nav.button(DBNavigator::Delete)->click();
        QCOMPARE(table->recordCount(), 2);
        QCOMPARE(op.shown.size(), 2);
        QCOMPARE(op.shown[1].text, QString("Delete record?"));
        QCOMPARE(op.shown[1].flags, 36);
    }

    void navigatorRefreshReadsTheFileAgain()
    {
        DBNavigator nav;
        nav.setTable(table.get());
        Table other;
        other.setDatabaseFolder(tmp->path());
        other.setTableName("osoby");
        other.open();
        addRecord(other, {"4", "00000000000000D4", "Adámek"});
        QCOMPARE(grid->model()->rowCount(), 3);
        nav.button(DBNavigator::Refresh)->click();
        QCOMPARE(grid->model()->rowCount(), 4);
        QCOMPARE(cell(0, 2), QString("Adámek"));
    }

    void failuresAreShownNotThrown()
    {
        ScriptedOperator op;
        DBNavigator nav;
        nav.setTable(table.get());
        QFile f(table->filePath());
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.resize(40);  // the header cut short under the table's feet
        f.close();
        nav.button(DBNavigator::Refresh)->click();
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QString("TAVO"));
        QVERIFY2(op.shown[0].text.contains("osoby.DBF"), qPrintable(op.shown[0].text));
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(cell(0, 2), QString("Čermák"));
    }
};

QTEST_MAIN(TestTableViews)
#include "test_table_views.moc"
