// The program end to end: start-up order, login, after-login state, menus,
// clearing commands and shutdown, on a program folder made for each test.
#include "tests/support/program_fixture.h"
#include "app/program.h"
#include "app/tform1.h"
#include "records/tform7.h"
#include "records/user_settings.h"
#include "records/working_set.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_files.h"
#include "core/cp1250.h"
#include "ui/db_grid.h"
#include "core/error.h"
#include "ui/text_grid.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {
} // namespace

class TestMainWindow : public QObject, ProgramFixture {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void windowsAreCreatedInOrder()
    {
        open();
        QStringList captions;
        for (QWidget *w : program->windows())
            captions << w->windowTitle();
        const QStringList expected{
            "TAVO", "Zadejte heslo", "Form2", "Konfigurace zařízení", "Detekovaná zařízení", "Vyhledat záznamy",
            "Uživatelské nastavení", "TAVO verze 21", "Uložit databázi", "Nápověda programu TAVO", "Načíst databázi",
            "Čtení událostí z paměti TAVO-B", "Nastavení času TAVO-B", "Aktivace paměti událostí v TAVO-B",
            "Načítání událostí z paměti TAVO-B", "Uložit události", "Naposledy přiložené kódy", "Test relé"};
        QCOMPARE(captions, expected);
        QCOMPARE(form1()->programFolder, dir->path() + QLatin1Char('/'));
    }

    // The headings follow the tables: an archive set switched to and a
    // database saved under another name show at once, and a list opened
    // anew has the operator's column titles.
    void theHeadingsFollowTheTables()
    {
        open();
        loginAs(QString());
        TForm1 *f = form1();
        Table::copyTable(f->db.databaseFolder, QStringLiteral("arch1"), QStringLiteral("arch2"));
        f->db.Table1.close();
        f->db.Table1.setTableName(QStringLiteral("arch2"));
        f->db.Table1.open();
        QCOMPARE(f->Label1->text(), QStringLiteral("Archivní sestava: arch2"));
        f->db.SaveDatabaseAs(QStringLiteral("SKLAD"));
        QCOMPARE(f->windowTitle(), QStringLiteral("TAVO   databáze SKLAD"));
        QCOMPARE(f->db.Table2.tableName(), QStringLiteral("SKLADosoby.DBF"));
        QCOMPARE(f->db.Table2.displayLabel(2), QStringLiteral("Příjmení"));
    }

    void missingAboutFileEndsTheStart()
    {
        QFile::remove(path("TAVO-oprogramu.txt"));
        try {
            Program p(path("tavo"));
            QFAIL("the start went on");
        } catch (const Error &e) {
            QCOMPARE(e.text(), QStringLiteral("Cannot open file ") + path("TAVO-oprogramu.txt"));
        }
    }

    void loginWithTheRightPassword()
    {
        open();
        loginAs(QString());
        TForm1 *f = form1();
        QVERIFY(f->started);
        QCOMPARE(f->windowTitle(), QStringLiteral("TAVO   databáze DEMO"));
        QCOMPARE(f->Label1->text(), QStringLiteral("Archivní sestava: arch1"));
        QCOMPARE(f->db.workingSet.cell(1, 0), QStringLiteral("Kód"));
        QCOMPARE(f->db.workingSet.cell(3, 0), QStringLiteral("Příjmení"));
        QCOMPARE(f->db.Table2.displayLabel(2), QStringLiteral("Příjmení"));
        QCOMPARE(f->db.Table3.displayLabel(5), QStringLiteral("Kódů"));
        QCOMPARE(f->db.Table1.displayLabel(0), QStringLiteral("Slot"));
        QVERIFY(f->db.Table1.active() && f->db.Table2.active() && f->db.Table3.active());
        QCOMPARE(f->insertionRow, 1);
    }

    void aWrongPasswordEndsTheProgramAndSavesNothing()
    {
        writeFile("TAVO-konfig.txt", settingsWithPassword(QStringLiteral("tajne")));
        open();
        loginAs(QStringLiteral("jine"));
        QVERIFY(!form1()->isVisible());
        QVERIFY(!form1()->started);
        QVERIFY(!QFile::exists(path("DEMOpracovni.csv")));
        QVERIFY(!QFile::exists(path("DEMOosoby.DBF")));
    }

    void theRightPasswordInOtherLetterCase()
    {
        writeFile("TAVO-konfig.txt", settingsWithPassword(QStringLiteral("tajne")));
        open();
        loginAs(QStringLiteral("TAJNE"));
        QVERIFY(form1()->started);
    }

    void closingAfterAStartSavesTheWorkingSet()
    {
        open();
        loginAs(QString());
        form1()->db.workingSet.setCell(1, 4, QStringLiteral("ABCD"));
        form1()->close();
        QFile f(path("DEMOpracovni.csv"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith(toCp1250(QStringLiteral("Pozice;Kód;Příznaky;Příjmení\r\nmaster;;;\r\n"))));
        QVERIFY(bytes.contains("\r\n004;ABCD;;\r\n"));
        QVERIFY(!form1()->db.Table2.active());
    }

    // A save that fails is told before the program ends; the old file stays.
    void aFailedSaveAtShutdownIsReported()
    {
        open();
        loginAs(QString());
        QVERIFY(QDir().mkdir(path("DEMOpracovni.csv")));
        form1()->close();
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(op.shown[0].flags, 48);
        QVERIFY(op.shown[0].text.startsWith(QStringLiteral("Pracovní sestavu nelze uložit do souboru ") + path("DEMOpracovni.csv")));
        QVERIFY(QFileInfo(path("DEMOpracovni.csv")).isDir());
    }

    void theWorkingSetComesBackAtTheNextStart()
    {
        writeFile("DEMOpracovni.csv", "a;b;c;d\r\nmaster;1111;0101;Novák\r\n");
        open();
        loginAs(QString());
        QCOMPARE(form1()->db.workingSet.cell(1, 1), QStringLiteral("1111"));
        QCOMPARE(form1()->db.workingSet.cell(1, 0), QStringLiteral("Kód"));  // the headings win
    }

    void menuItemsAndSpeedButtons()
    {
        open();
        TForm1 *f = form1();
        struct Item {
            const char *name, *caption;
            bool enabled;
        };
        const Item items[] = {
            {"NastDatabzi1", "&Načíst Databázi ...", true},
            {"UloitDatabzi1", "&Uložit Databázi jako ...", true},
            {"Konec1", "Kone&c", true},
            {"Vymazatpracovnsestavu1", "&Vymazat Pracovní sestavu", true},
            {"VzmazatseznamZazen1", "Vymazat Seznam &Zařízení", true},
            {"UzivatelskeNastaveni", "&Uživatelské nastavení", true},
            {"Oprogramu1", "&O programu", true},
            {"Npovda1", "&Nápověda", true},
            {"ZapisTabulkyDoPameti1", "&Zápis Pracovní sestavy do zařízení", true},
            {"Testrel1", "&Test relé", true},
            {"VystnaposledypiloenKdyzezazen1", "&Načíst naposledy přiložené kódy ze zařízení", true},
            {"CteniUdalosti", "Čtení &Událostí", true},
        };
        for (const Item &i : items) {
            QAction *a = f->menuItem(QString::fromLatin1(i.name));
            QVERIFY2(a, i.name);
            QCOMPARE(a->text(), QString::fromUtf8(i.caption));
            QCOMPARE(a->isEnabled(), i.enabled);
        }
        QCOMPARE(f->speedButton(1)->toolTip(), QStringLiteral("Zápis pracovní sestavy do zařízení"));
        QVERIFY(f->speedButton(1)->isEnabled());
        QCOMPARE(f->speedButton(13)->toolTip(), QStringLiteral("Vyhledat duplicitní kódy"));
    }

    void clearingAsksFirst()
    {
        open();
        loginAs(QString());
        TForm1 *f = form1();
        f->db.workingSet.setCell(1, 9, QStringLiteral("ABC"));
        op.answers = {IDNO};
        f->menuItem(QStringLiteral("Vymazatpracovnsestavu1"))->trigger();
        QCOMPARE(op.lastText(), QStringLiteral("Opravdu si přejete vymazat pracovní sestavu?"));
        QCOMPARE(op.shown.last().title, QStringLiteral("Dotaz"));
        QCOMPARE(f->db.workingSet.cell(1, 9), QStringLiteral("ABC"));
        op.answers = {IDYES};
        f->menuItem(QStringLiteral("Vymazatpracovnsestavu1"))->trigger();
        QCOMPARE(f->db.workingSet.cell(1, 9), QString());
        QCOMPARE(f->db.workingSet.cell(0, 9), QStringLiteral("009"));
        QCOMPARE(f->db.workingSet.cell(1, 0), QStringLiteral("Kód"));

        op.answers = {IDYES};
        f->menuItem(QStringLiteral("VymazatArchivnsestavu1"))->trigger();
        QCOMPARE(op.lastText(), QStringLiteral("Opravdu si přejete vymazat archivní sestavu?"));
        QCOMPARE(f->db.Table1.recordCount(), 510);
        QVERIFY(!f->DBGrid1->isHidden());
    }

    void selectingACellMovesTheInsertionRow()
    {
        open();
        loginAs(QString());
        form1()->StringGrid1->selectCell(2, 77);
        QCOMPARE(form1()->insertionRow, 77);
    }

private:
    // The program created with its login window open.
    void open()
    {
        create();
        QVERIFY(form7()->isVisible());
    }

    void loginAs(const QString &password)
    {
        login(password);
        QVERIFY(!form7()->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
