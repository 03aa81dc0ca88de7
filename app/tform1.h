#pragma once
// The main window: the shared state of the program (tables, working set,
// headings, folders, the link) and the menu and buttons that start every action.

#include "devices/code_memory/code_memory.h"
#include "exchange/exchange_commands.h"
#include "link/link.h"
#include "records/database.h"
#include "records/headings.h"

#include <QHash>
#include <QMainWindow>

class DBGrid;
struct Finding;
class DBNavigator;
class QAction;
class QCheckBox;
class QLabel;
class QToolButton;
class TextGrid;
class TForm2;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;
class TForm10;
class TForm11;
class TForm12;
class TForm13;
class TForm14;
class TForm17;
class TForm18;

// The windows the main window shows; created after it, in the start-up order.
struct Dialogs {
    TForm2 *form2 = nullptr;
    TForm5 *form5 = nullptr;
    TForm6 *form6 = nullptr;
    TForm7 *form7 = nullptr;
    TForm8 *form8 = nullptr;
    TForm9 *form9 = nullptr;
    TForm10 *form10 = nullptr;
    TForm11 *form11 = nullptr;
    TForm12 *form12 = nullptr;
    TForm13 *form13 = nullptr;
    TForm14 *form14 = nullptr;
    TForm17 *form17 = nullptr;
    TForm18 *form18 = nullptr;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // exePath: the running executable; its folder is the program folder.
    // port: the line to the devices (the simulated bus under test).
    TForm1(const QString &exePath, std::unique_ptr<SerialPort> port, QWidget *parent = nullptr);
    ~TForm1() override;

    void setDialogs(const Dialogs &d) { dialogs_ = d; }

    // Shared state.
    QString programFolder;
    QString enteredPassword;  // the entered password value
    QString databaseText;     // scratch text of the database operations
    Headings headings;
    Database db;
    Link link;
    CodeMemory codeMemory{link, db};
    Exchange exchange{db, headings};
    bool started = false;
    int insertionRow = 1;

    QString settingsFile() const { return programFolder + QStringLiteral("TAVO-konfig.txt"); }
    QString portSettingsFile() const { return programFolder + QStringLiteral("TAVO-port.ini"); }

    // Controls.
    QLabel *Label1, *Label2, *Label3, *Label4;
    DBGrid *DBGrid1, *DBGrid2, *DBGrid3;
    DBNavigator *DBNavigator1, *DBNavigator2;
    QCheckBox *CheckBox1;
    TextGrid *StringGrid1;
    QList<QToolButton *> speedButtons;  // SpeedButton1 .. SpeedButton13 at index 0 .. 12
    QToolButton *speedButton(int n) const { return speedButtons.at(n - 1); }
    // Menu items by component name ("Konec1", "NastDatabzi1", ...).
    QAction *menuItem(const QString &name) const { return menuItems_.value(name); }

    void FormShow();
    void afterLogin();
    void headingRefresh();
    bool FormCloseQuery();

    // Handlers.
    void Konec1Click() { close(); }
    void DBGrid3DblClick() { codeMemory.selectDevice(); }
    void KonfigurovatZarizeniVSiti1Click() { codeMemory.configurationRead(); }
    void ZapisTabulkyDoPameti1Click();
    void ZapisSOverenim1Click();
    void CteniTabulkyZpameti1Click();
    void DetekceSite1Click();
    void Testrel1Click();
    void V1Click();
    void CteniUdalostiClick();
    void NastaveniCasuClick();
    void AktivaceTAVOBClick();
    void StringGrid1SelectCell(int col, int row);
    // The set tools (set_commands.cpp).
    void DBGrid1DblClick();
    void DBGrid2DblClick();
    void Image1Click();
    void Image2Click();
    void Image7Click();
    void Image4Click();
    void Image6Click();
    void Image5Click();
    void CheckBox1Click();
    void NastDatabzi1Click();
    void UloitDatabzi1Click();
    void Vymazatpracovnsestavu1Click();
    void VymazatArchivnsestavu1Click();
    void Vymazatseznamosob1Click();
    void VzmazatseznamZazen1Click();
    void UzivatelskeNastaveniClick();
    void Nastavenkomunikace1Click();
    void Oprogramu1Click();
    void Npovda1Click();
    // Record search.
    void Image3Click();
    // CSV import and export.
    void ImportovatPracovniSestavuClick() { exchange.ImportovatPracovniSestavuClick(); }
    void ExportovatPracovniSestavuClick() { exchange.ExportovatPracovniSestavuClick(); }
    void ImportovatArchivniSestavuClick() { exchange.ImportovatArchivniSestavuClick(); }
    void ExportovatArchivniSestavuClick() { exchange.ExportovatArchivniSestavuClick(); }
    void ImportovatSeznamOsobClick() { exchange.ImportovatSeznamOsobClick(); }
    void ImportovatDoSeznamuOsobClick() { exchange.ImportovatDoSeznamuOsobClick(); }
    void ExportovatSeznamOsob1Click() { exchange.ExportovatSeznamOsob1Click(); }
    void ImportovatSeznamZarizeniClick() { exchange.ImportovatSeznamZarizeniClick(); }
    void ImportovatDoSeznamuZarizeniClick() { exchange.ImportovatDoSeznamuZarizeniClick(); }
    void ExportovatSeznamZarizeniClick() { exchange.ExportovatSeznamZarizeniClick(); }
    // Printed reports.
    void TiskPracovniSestavyClick() { exchange.TiskPracovniSestavyClick(); }
    void TiskArchivniSestavyClick() { exchange.TiskArchivniSestavyClick(); }
    void TiskSeznamuOsobClick() { exchange.TiskSeznamuOsobClick(); }
    void TiskSeznamuZarizeniClick() { exchange.TiskSeznamuZarizeniClick(); }

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    QList<int> headingSubscriptions_;
    bool refreshingHeadings_ = false;

    void buildControls();
    void buildMenu();
    void bindSetTools();
    void selectFinding(const Finding &f);
    QToolButton *addSpeedButton(int n, int x, int y, const QString &hint, int icon);
    bool ask(const QString &question);
    void reportSaveFailure(const QString &file, const QString &reason);

    Dialogs dialogs_;
    QHash<QString, QAction *> menuItems_;
    bool shownOnce_ = false;
};
