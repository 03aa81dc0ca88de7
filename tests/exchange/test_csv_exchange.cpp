// CSV import and export of the four record sets: the exchange file byte for
// byte, the dialogs, the appending, replacing and archive imports, and files
// that other programs save (LF or CR line ends, UTF-8 with a byte-order mark).
#include "exchange/csv_exchange.h"
#include "tests/records/file_size_limit.h"
#include "tests/support/program_fixture.h"
#include "tests/support/table_helpers.h"
#include "tests/support/test_files.h"
#include "records/working_set.h"
#include "ui/db_grid.h"
#include "ui/db_navigator.h"

#include <QCheckBox>
#include <QToolButton>

#include <QDir>
#include <QtTest>

namespace {
const QString PersonHeadings = QStringLiteral("Č.;Kód;Příjmení;Jméno;Oddělení;Telefon;P1;P2;P3\r\n");

QByteArray cp(const QString &text) { return toCp1250(text); }

QList<QStringList> lines(const QByteArray &bytes)
{
    QList<QStringList> out;
    forEachExchangeLine(bytes, [&out](int n, const QStringList &fields) {
        QCOMPARE(n, int(out.size()));
        out << fields;
    });
    return out;
}
} // namespace

class TestCsvExchange : public QObject, ProgramFixture {
    Q_OBJECT
private slots:
    void init()
    {
        setUp();
        op.fileRequests.clear();
        op.fileNames.clear();
    }
    void cleanup() { tearDown(); }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF") << QByteArray("h;h\r\na;b\r\nc;d\r\n");
        QTest::newRow("LF alone (LibreOffice, scripts)") << QByteArray("h;h\na;b\nc;d\n");
        QTest::newRow("CR alone") << QByteArray("h;h\ra;b\rc;d\r");
        QTest::newRow("last line without its end") << QByteArray("h;h\r\na;b\r\nc;d");
    }
    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        const QList<QStringList> expected{{"h", "h"}, {"a", "b"}, {"c", "d"}};
        QCOMPARE(lines(bytes), expected);
    }

    void codePages()
    {
        // Windows-1250 unless the file starts with UTF-8's byte-order mark.
        QCOMPARE(lines(cp(QStringLiteral("Žluťoučký;kůň\r\n"))), (QList<QStringList>{{"Žluťoučký", "kůň"}}));
        QCOMPARE(lines("\xEF\xBB\xBF" + QStringLiteral("Žluťoučký;kůň\r\n").toUtf8()),
                 (QList<QStringList>{{"Žluťoučký", "kůň"}}));
        // An empty line in the middle is a line; nothing after the last line end is.
        QCOMPARE(lines("a\r\n\r\nb\r\n"), (QList<QStringList>{{"a"}, {""}, {"b"}}));
    }

    void recordValuesOfALine_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("a;b") << QStringList{"a", "b"} << QStringList{"a", "b"};
        QTest::newRow("one field alone: no record") << QStringList{"a"} << QStringList{};
        QTest::newRow("empty line: no record") << QStringList{""} << QStringList{};
        QTest::newRow("nine") << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8"}
                              << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8"};
        QTest::newRow("twelve: eight, then the twelfth")
            << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}
            << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "11"};
    }
    void recordValuesOfALine()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, values);
        QCOMPARE(recordValues(fields, 9), values);
    }

    void menuItemsAndSpeedButtonAreEnabled()
    {
        start();
        for (const char *item : {"ImportovatPracovniSestavu", "ExportovatPracovniSestavu", "ImportovatArchivniSestavu",
                                 "ExportovatArchivniSestavu", "ImportovatSeznamOsob", "ImportovatDoSeznamuOsob",
                                 "ExportovatSeznamOsob1", "ImportovatSeznamZarizeni", "ImportovatDoSeznamuZarizeni",
                                 "ExportovatSeznamZarizeni", "TiskPracovniSestavy", "TiskArchivniSestavy",
                                 "TiskSeznamuOsob", "TiskSeznamuZarizeni", "Najtzznam1"})
            QVERIFY2(form1()->menuItem(QString::fromLatin1(item))->isEnabled(), item);
        QVERIFY(form1()->speedButton(11)->isEnabled());
    }

    void exportOfAnEmptyPersonListIsItsHeadingLine()
    {
        start();
        op.fileNames = {path("osoby.csv")};
        trigger("ExportovatSeznamOsob1");
        QCOMPARE(readFile(path("osoby.csv")), cp(PersonHeadings));
        const FileDialogRequest r = op.fileRequests.value(0);
        QCOMPARE(r.filter, QStringLiteral("text oddělený středníkem (*.csv)|*.csv"));
        QCOMPARE(r.defaultExt, QStringLiteral("csv"));
        QCOMPARE(r.initialDir, QStringLiteral("c:\\Kel-Tavo"));
    }

    void exportDropsSemicolonsAndReplacesAFile()
    {
        start();
        Table &t = form1()->db.Table2;
        addRecord(t, {"1", "00000000000000AA", "Novák;Jan", "", "", "", "", "", "x"});
        addRecord(t, {"2", "0000000000000011", "Dvořák"});
        writeFile("osoby.csv", QByteArray(100000, 'x'));
        op.fileNames = {path("osoby.csv")};
        trigger("ExportovatSeznamOsob1");
        QVERIFY(op.shown.isEmpty());  // no question before an existing file is replaced
        QCOMPARE(readFile(path("osoby.csv")), cp(PersonHeadings + "2;0000000000000011;Dvořák;;;;;;\r\n"
                                                                  "1;00000000000000AA;NovákJan;;;;;;x\r\n"));
        // The save dialog opens with the name chosen last.
        op.fileNames = {QString()};
        trigger("ExportovatSeznamOsob1");
        QCOMPARE(op.fileRequests.last().fileName, path("osoby.csv"));
    }

    void personListSortedBySurnameExportsInThatOrder()
    {
        start();
        Table &t = form1()->db.Table2;
        addRecord(t, {"1", "01", "Čech"});
        addRecord(t, {"2", "02", "Adam"});
        addRecord(t, {"3", "03", "Cibula"});
        form1()->CheckBox1->setChecked(true);
        op.fileNames = {path("osoby.csv")};
        trigger("ExportovatSeznamOsob1");
        const QList<QStringList> l = lines(readFile(path("osoby.csv")));
        QCOMPARE(l.size(), 4);
        QCOMPARE((QStringList{l[1][2], l[2][2], l[3][2]}), (QStringList{"Adam", "Cibula", "Čech"}));
    }

    void archiveExportHas511Lines()
    {
        start();
        Table &t = form1()->db.Table1;
        t.moveTo(6);
        t.edit();
        t.setFieldText(1, QStringLiteral("12AB000000000000"));
        t.post();
        op.fileNames = {path("arch.csv")};
        trigger("ExportovatArchivniSestavu");
        const QList<QStringList> l = lines(readFile(path("arch.csv")));
        QCOMPARE(l.size(), 511);
        QCOMPARE(l[0], (QStringList{"Slot", "Kód", "Příznaky"}));
        QCOMPARE(l[7], (QStringList{"007", "12AB000000000000", ""}));
        QCOMPARE(l[510], (QStringList{"510", "", ""}));
    }

    void archiveImportByPosition_data()
    {
        QTest::addColumn<QByteArray>("line7");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("flags");
        QTest::newRow("three fields") << QByteArray("012;12AB000000000000;1010000000000000") << "12AB000000000000"
                                      << "1010000000000000";
        QTest::newRow("more fields: the rest ignored") << QByteArray("012;12AB000000000000;1010000000000000;x;y")
                                                       << "12AB000000000000" << "1010000000000000";
        QTest::newRow("without its third field: nothing") << QByteArray("012;12AB000000000000") << "" << "";
    }
    void archiveImportByPosition()
    {
        QFETCH(QByteArray, line7);
        QFETCH(QString, code);
        QFETCH(QString, flags);
        start();
        QByteArray file = "Slot;Kód;Příznaky\r\n";
        for (int n = 1; n <= 6; ++n)
            file += "x;;\r\n";
        file += line7 + "\n";  // saved by another program: LF alone
        writeFile("arch.csv", file);
        op.fileNames = {path("arch.csv")};
        trigger("ImportovatArchivniSestavu");
        Table &t = form1()->db.Table1;
        QCOMPARE(t.recordCount(), 510);
        QCOMPARE(t.textAt(6, 0), QStringLiteral("007"));  // SE0 keeps its value
        QCOMPARE(t.textAt(6, 1), code);
        QCOMPARE(t.textAt(6, 2), flags);
        QCOMPARE(t.textAt(7, 1), QString());  // past the file's last line: unchanged
        QVERIFY(form1()->DBGrid1->isVisibleTo(form1()));
        QCOMPARE(form1()->DBGrid1->table(), &t);
    }

    void appendingImport()
    {
        start();
        Table &t = form1()->db.Table2;
        addRecord(t, {"0", "0000000000000099", "Stávající"});
        writeFile("in.csv", cp(PersonHeadings + "a;b\r\n"
                                                "0;1;2;3;4;5;6;7;8;9;10;11\r\n"
                                                "jen jedno pole\r\n"
                                                "\r\n"
                                                "k;0000000000000001;Řehoř\r\n"));
        op.fileNames = {path("in.csv")};
        trigger("ImportovatDoSeznamuOsob");
        QVERIFY(op.shown.isEmpty());
        QCOMPARE(t.recordCount(), 4);
        t.setIndexFieldNames(QString());  // file order
        QCOMPARE(t.textAt(0, 2), QStringLiteral("Stávající"));
        QCOMPARE((QStringList{t.textAt(1, 0), t.textAt(1, 1), t.textAt(1, 2), t.textAt(1, 8)}),
                 (QStringList{"a", "b", "", ""}));
        QStringList twelve;
        for (int i = 0; i < 9; ++i)
            twelve << t.textAt(2, i);
        QCOMPARE(twelve, (QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "11"}));
        QCOMPARE(t.textAt(3, 2), QStringLiteral("Řehoř"));
        QCOMPARE(form1()->DBGrid2->table(), &t);
        QVERIFY(form1()->DBNavigator1->isVisibleTo(form1()));
        QCOMPARE(op.fileRequests.value(0).filter,
                 QStringLiteral("text oddělený středníkem (*.csv)|*.csv|všechny soubory (*.*)|*.*"));
    }

    // The records before one that cannot be stored stay in the list and in
    // its file, and the failure is reported; the list is not left half-edited.
    void importStopsAtARecordItCannotStore_data()
    {
        QTest::addColumn<QString>("third");  // surname of the third line
        QTest::addColumn<int>("room");       // bytes the table file may grow by, -1 for no limit
        QTest::addColumn<QString>("reason");
        int record = 1;
        for (const FieldDef &f : personFields())
            record += f.width;
        QTest::newRow("letter Windows-1250 cannot hold") << QStringLiteral("\u0416uk") << -1 << "nelze uložit";
        QTest::newRow("full disk") << QStringLiteral("Třetí") << 2 * record << "nelze zapisovat";
    }
    void importStopsAtARecordItCannotStore()
    {
        QFETCH(QString, third);
        QFETCH(int, room);
        QFETCH(QString, reason);
        start();
        Table &t = form1()->db.Table2;
        addRecord(t, {"0", "0000000000000099", "Stávající"});
        const QString lines = PersonHeadings + "1;0000000000000001;První\r\n2;0000000000000002;Druhý\r\n" +
                              "3;0000000000000003;" + third + "\r\n4;0000000000000004;Čtvrtý\r\n";
        writeFile("in.csv", QByteArray("\xEF\xBB\xBF") + lines.toUtf8());
        op.fileNames = {path("in.csv")};
        {
            std::unique_ptr<FileSizeLimit> full;
            if (room >= 0)
                full = std::make_unique<FileSizeLimit>(QFileInfo(t.filePath()).size() + room);
            trigger("ImportovatDoSeznamuOsob");
        }
        QCOMPARE(op.shown.size(), 1);
        QVERIFY2(op.shown[0].text.contains(reason), qPrintable(op.shown[0].text));
        QCOMPARE(t.state(), Table::Browse);
        const QStringList kept{"Stávající", "První", "Druhý"};
        t.setIndexFieldNames(QString());
        QCOMPARE(column(t, 2), kept);
        Table again;
        again.setDatabaseFolder(t.databaseFolder());
        again.setTableName(t.tableName());
        again.open();
        QCOMPARE(column(again, 2), kept);
    }

    void headingAloneAddsNothing()
    {
        start();
        writeFile("in.csv", cp(PersonHeadings));
        op.fileNames = {path("in.csv")};
        trigger("ImportovatDoSeznamuOsob");
        QCOMPARE(form1()->db.Table2.recordCount(), 0);
    }

    void replacingImportRestoresAnExport()
    {
        start();
        Table &t = form1()->db.Table2;
        for (int i = 0; i < 70; ++i)
            addRecord(t, {QString::number(i), QStringLiteral("%1").arg(i, 16, 16, QLatin1Char('0')).toUpper(),
                          QStringLiteral("Příjmení %1").arg(i), "Jméno", "", "", "", "", "ž"});
        op.fileNames = {path("osoby.csv"), path("osoby.csv")};
        trigger("ExportovatSeznamOsob1");
        const QByteArray exported = readFile(path("osoby.csv"));
        addRecord(t, {"navíc", "FFFF000000000000"});
        op.answers = {IDYES};
        trigger("ImportovatSeznamOsob");
        QCOMPARE(op.shown.value(0).text, QStringLiteral("Opravdu si přejete vymazat seznam osob a importovat nový?"));
        QCOMPARE(op.shown.value(0).flags, 36);
        QCOMPARE(t.recordCount(), 70);
        op.fileNames = {path("again.csv")};
        trigger("ExportovatSeznamOsob1");
        QCOMPARE(readFile(path("again.csv")), exported);
    }

    // No: no dialog and nothing changes. Yes, then a cancelled dialog or an
    // unreadable file: the list stays as it was.
    void replacingImportKeepsTheListUntilAFileIsRead_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<int>("messages");
        QTest::newRow("No") << int(IDNO) << "in.csv" << 0 << 1;
        QTest::newRow("Yes, cancelled") << int(IDYES) << "" << 1 << 1;
        QTest::newRow("Yes, unreadable file") << int(IDYES) << "missing.csv" << 1 << 2;
    }
    void replacingImportKeepsTheListUntilAFileIsRead()
    {
        QFETCH(int, answer);
        QFETCH(QString, file);
        QFETCH(int, dialogs);
        QFETCH(int, messages);
        start();
        Table &t = form1()->db.Table3;
        addRecord(t, {"1", "Vrátnice", "arch1", "1", "5", "510"});
        const QStringList before = column(t, 1);
        writeFile("in.csv", cp(QStringLiteral("h\r\n1;Nové;arch2;2;5;510\r\n")));
        op.answers = {answer};
        op.fileNames = {file.isEmpty() ? QString() : path(file.toLatin1().constData())};
        trigger("ImportovatSeznamZarizeni");
        QCOMPARE(op.shown.value(0).text, QStringLiteral("Opravdu si přejete vymazat seznam zařízení a importovat nový?"));
        QCOMPARE(op.fileRequests.size(), dialogs);
        QCOMPARE(op.shown.size(), messages);
        QCOMPARE(column(t, 1), before);
        QVERIFY(before.contains(QStringLiteral("Vrátnice")));
    }

    void filesOfOtherProgramsImportWithTheirLetters_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = PersonHeadings + QStringLiteral("1;00000000000000A1;Žluťoučký;Kůň\r\n"
                                                             "2;00000000000000A2;Šťastná;Ďáblice\r\n");
        QTest::newRow("Windows-1250, LF") << cp(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QTest::newRow("UTF-8 with a byte-order mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    }
    void filesOfOtherProgramsImportWithTheirLetters()
    {
        QFETCH(QByteArray, bytes);
        start();
        writeFile("in.csv", bytes);
        op.fileNames = {path("in.csv")};
        trigger("ImportovatDoSeznamuOsob");
        Table &t = form1()->db.Table2;
        QCOMPARE(column(t, 2), (QStringList{"Žluťoučký", "Šťastná"}));
        QCOMPARE(column(t, 3), (QStringList{"Kůň", "Ďáblice"}));
    }

    void workingSetThroughTheDialogs()
    {
        start();
        TextTable &g = grid();
        g.setCell(1, 5, QStringLiteral("12AB000000000000"));
        g.setCell(3, 5, QStringLiteral("Novák;Jan"));
        op.fileNames = {path("ws")};
        trigger("ExportovatPracovniSestavu");
        const QByteArray bytes = readFile(path("ws"));
        QCOMPARE(bytes, workingSetBytes(g));
        QVERIFY(bytes.contains(cp(QStringLiteral("005;12AB000000000000;;NovákJan\r\n"))));
        writeFile("ws.csv", QByteArray("Hlava;A;B;C\n") + "master;1111000000000000;0101;X\n");
        op.fileNames = {path("ws.csv")};
        trigger("ImportovatPracovniSestavu");
        QCOMPARE(g.cell(0, 0), QStringLiteral("Hlava"));  // until the next heading refresh
        QCOMPARE(g.cell(1, 1), QStringLiteral("1111000000000000"));
        QCOMPARE(g.cell(1, 5), QStringLiteral("12AB000000000000"));  // not reached: kept
        QCOMPARE(form1()->db.workingSetPath, path("ws.csv"));
    }

    void failedExportIsReported()
    {
        start();
        const QString file = path("no-such-folder/osoby.csv");
        op.fileNames = {file};
        trigger("ExportovatSeznamZarizeni");
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(op.shown[0].flags, 48);
        QVERIFY2(op.shown[0].text.startsWith(QStringLiteral("Soubor ") + QDir::toNativeSeparators(file) +
                                             QStringLiteral(" nelze uložit: ")),
                 qPrintable(op.shown[0].text));
        QVERIFY(op.shown[0].text.size() > 60);  // the system's reason follows
    }

    void largeListsAreReadAndWrittenWhole()
    {
        start();
        QByteArray file = cp(PersonHeadings);
        for (int i = 0; i < 9000; ++i)
            file += cp(QStringLiteral("%1;%2;Příjmení s dlouhým textem %1;Jméno;Oddělení výroby a skladu;"
                                      "Telefon 123 456 789;Poznámka první;Poznámka druhá;Poznámka třetí\r\n")
                           .arg(i)
                           .arg(i, 16, 10, QLatin1Char('0')));
        QVERIFY(file.size() > 1000000);
        writeFile("in.csv", file);
        op.fileNames = {path("in.csv"), path("out.csv")};
        trigger("ImportovatDoSeznamuOsob");
        QCOMPARE(form1()->db.Table2.recordCount(), 9000);
        trigger("ExportovatSeznamOsob1");
        QCOMPARE(readFile(path("out.csv")), file);
    }
};

QTEST_MAIN(TestCsvExchange)
#include "test_csv_exchange.moc"
