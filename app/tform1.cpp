#include "core/handler.h"
#include "app/tform1.h"
#include "devices/code_memory/tform17.h"
#include "devices/code_memory/tform18.h"
#include "devices/code_memory/tform2.h"
#include "devices/event_memory/tform12.h"
#include "devices/event_memory/tform13.h"
#include "devices/event_memory/tform14.h"
#include "exchange/tform10.h"
#include "exchange/tform5.h"
#include "exchange/tform8.h"
#include "link/port_ini.h"
#include "link/port_setup_dialog.h"
#include "records/database_dialogs.h"
#include "records/tform6.h"
#include "records/tform7.h"
#include "records/user_settings.h"
#include "records/working_set.h"
#include "ui/db_grid.h"
#include "ui/db_navigator.h"
#include "core/error.h"
#include "core/operator.h"
#include "ui/text_grid.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QStyle>
#include <QToolButton>

namespace {
// One row of the main menu: "-" is a separator; a null handler marks an item
// whose behaviour is not built yet (it stays disabled).
struct MenuRow {
    const char *name;
    const char *caption;
    void (TForm1::*handler)();
};

struct MenuDef {
    const char *name;
    const char *caption;
    QList<MenuRow> items;
};

QList<MenuDef> mainMenu()
{
    return {
        {"Soubor1", "&Soubor",
         {{"NastDatabzi1", "&Načíst Databázi ...", &TForm1::NastDatabzi1Click},
          {"UloitDatabzi1", "&Uložit Databázi jako ...", &TForm1::UloitDatabzi1Click},
          {"N6", "-", nullptr},
          {"ImportovatPracovniSestavu", "Importovat &Pracovní sestavu", &TForm1::ImportovatPracovniSestavuClick},
          {"ExportovatPracovniSestavu", "&Exportovat Pracovní sestavu", &TForm1::ExportovatPracovniSestavuClick},
          {"N5", "-", nullptr},
          {"ImportovatArchivniSestavu", "&Importovat Archivní sestavu", &TForm1::ImportovatArchivniSestavuClick},
          {"ExportovatArchivniSestavu", "Exportovat &Archivní sestavu", &TForm1::ExportovatArchivniSestavuClick},
          {"N1", "-", nullptr},
          {"ImportovatSeznamOsob", "Importovat Seznam oso&b", &TForm1::ImportovatSeznamOsobClick},
          {"ImportovatDoSeznamuOsob", "Importovat do &Seznamu osob", &TForm1::ImportovatDoSeznamuOsobClick},
          {"ExportovatSeznamOsob1", "Exportovat Seznam &Osob", &TForm1::ExportovatSeznamOsob1Click},
          {"N4", "-", nullptr},
          {"ImportovatSeznamZarizeni", "I&mportovat Seznam zařízení", &TForm1::ImportovatSeznamZarizeniClick},
          {"ImportovatDoSeznamuZarizeni", "Importovat do Seznamu &Zařízení", &TForm1::ImportovatDoSeznamuZarizeniClick},
          {"ExportovatSeznamZarizeni", "E&xportovat Seznam zařízení", &TForm1::ExportovatSeznamZarizeniClick},
          {"N3", "-", nullptr},
          {"TiskPracovniSestavy", "&Tisk Pracovní sestavy", &TForm1::TiskPracovniSestavyClick},
          {"TiskArchivniSestavy", "Tis&k Archivní sestavy", &TForm1::TiskArchivniSestavyClick},
          {"TiskSeznamuOsob", "Tisk Se&znamu osob", &TForm1::TiskSeznamuOsobClick},
          {"TiskSeznamuZarizeni", "Tisk Sezna&mu zařízení", &TForm1::TiskSeznamuZarizeniClick},
          {"N2", "-", nullptr},
          {"Konec1", "Kone&c", &TForm1::Konec1Click}}},
        {"Pkaz1", "&Transport dat",
         {{"ZapisTabulkyDoPameti1", "&Zápis Pracovní sestavy do zařízení", &TForm1::ZapisTabulkyDoPameti1Click},
          {"ZapisSOverenim1", "Zápis s &ověřením", &TForm1::ZapisSOverenim1Click},
          {"CteniTabulkyZpameti1", "&Načtení Pracovní sestavy ze zařízení", &TForm1::CteniTabulkyZpameti1Click},
          {"ZkopirovaniPracovniSestavyDoArchivni1", "Zkopírování &Pracovní sestavy do Archivní", &TForm1::Image1Click},
          {"ZkoprovaniArchivniSestavydopracovn1", "Zkopírování &Archivní sestavy do Pracovní", &TForm1::Image2Click}}},
        {"Pomcky1", "&Pomůcky",
         {{"Najtzznam1", "&Najít záznam", &TForm1::Image3Click},
          {"Poravnatarchivnapracovnsetavu1", "&Porovnat archivní a pracovní sestavu", &TForm1::Image7Click},
          {"Najtpjmenpodlekdu1", "&Vyplnit příjmení podle kódu", &TForm1::Image4Click},
          {"Vyhledatduplicitnkdyvpracovnsestav1", "Vyhledat &Duplicitní kódy v Pracovní sestavě", &TForm1::Image6Click},
          {"VyhledatduplicitnkdyvSeznamuosob1", "Vyhledat Duplicitní kódy v &Seznamu osob", &TForm1::Image5Click}}},
        {"Mazn1", "&Mazání tabulek",
         {{"Vymazatpracovnsestavu1", "&Vymazat Pracovní sestavu", &TForm1::Vymazatpracovnsestavu1Click},
          {"VymazatArchivnsestavu1", "Vymazat &Archivní sestavu", &TForm1::VymazatArchivnsestavu1Click},
          {"Vymazatseznamosob1", "Vymazat &Seznam osob", &TForm1::Vymazatseznamosob1Click},
          {"VzmazatseznamZazen1", "Vymazat Seznam &Zařízení", &TForm1::VzmazatseznamZazen1Click}}},
        {"Nastaven1", "&Nastavení",
         {{"Nastavenkomunikace1", "&Nastavení komunikace", &TForm1::Nastavenkomunikace1Click},
          {"Vybratzazenzeseznamu1", "&Vybrat zařízení ze seznamu", &TForm1::DBGrid3DblClick},
          {"Konfigurovatzazen1", "&Konfigurovat zařízení", &TForm1::KonfigurovatZarizeniVSiti1Click},
          {"UzivatelskeNastaveni", "&Uživatelské nastavení", &TForm1::UzivatelskeNastaveniClick}}},
        {"TAVOM1", "TAVO-&M",
         {{"Detekcest1", "&Detekce sítě", &TForm1::DetekceSite1Click},
          {"Testrel1", "&Test relé", &TForm1::Testrel1Click},
          {"VystnaposledypiloenKdyzezazen1", "&Načíst naposledy přiložené kódy ze zařízení", &TForm1::V1Click}}},
        {"TAVOB1", "TAVO-&B",
         {{"CteniUdalosti", "Čtení &Událostí", &TForm1::CteniUdalostiClick},
          {"NastaveniCasu", "&Nastavení času", &TForm1::NastaveniCasuClick},
          {"AktivaceTAVOB", "&Aktivace TAVO-B", &TForm1::AktivaceTAVOBClick}}},
        {"Info1", "&Info",
         {{"Oprogramu1", "&O programu", &TForm1::Oprogramu1Click},
          {"Npovda1", "&Nápověda", &TForm1::Npovda1Click}}},
    };
}

// The speed buttons: number, position, hint, picture, and the menu item whose
// handler they share (empty: a handler not built yet).
struct SpeedDef {
    int n, x, y;
    const char *hint;
    QStyle::StandardPixmap icon;
    const char *sameAs;
};

const SpeedDef speedDefs[] = {
    {1, 176, 324, "Zápis pracovní sestavy do zařízení", QStyle::SP_ArrowRight, "ZapisTabulkyDoPameti1"},
    {2, 217, 324, "Načtení pracovní sestavy ze zařízení", QStyle::SP_ArrowLeft, "CteniTabulkyZpameti1"},
    {3, 256, 324, "Zkopírování pracovní sestavy do archivní", QStyle::SP_ArrowUp, "ZkopirovaniPracovniSestavyDoArchivni1"},
    {4, 297, 324, "Zkopírování archivní sestavy do pracovní", QStyle::SP_ArrowDown, "ZkoprovaniArchivniSestavydopracovn1"},
    {5, 336, 324, "Porovnat sestavy", QStyle::SP_FileDialogDetailedView, "Poravnatarchivnapracovnsetavu1"},
    {6, 377, 324, "Vyplnit příjmení podle kódů", QStyle::SP_FileDialogInfoView, "Najtpjmenpodlekdu1"},
    {7, 416, 324, "Vyhledat duplicitní kódy", QStyle::SP_FileDialogContentsView, "Vyhledatduplicitnkdyvpracovnsestav1"},
    {8, 880, 324, "Vybrat zařízení", QStyle::SP_DialogApplyButton, "Vybratzazenzeseznamu1"},
    {9, 921, 324, "Konfigurovat zařízení", QStyle::SP_ComputerIcon, "Konfigurovatzazen1"},
    {10, 288, 0, "Přidat do pracovní sestavy", QStyle::SP_ArrowDown, nullptr},
    {11, 329, 0, "Hledat", QStyle::SP_FileDialogContentsView, "Najtzznam1"},
    {12, 880, 0, "Přidat do pracovní sestavy", QStyle::SP_ArrowDown, nullptr},
    {13, 921, 0, "Vyhledat duplicitní kódy", QStyle::SP_FileDialogContentsView, "VyhledatduplicitnkdyvSeznamuosob1"},
};

QString folderOf(const QString &exePath)
{
    QString f = QDir::toNativeSeparators(QFileInfo(exePath).absolutePath());
    if (!f.endsWith(QDir::separator()))
        f += QDir::separator();
    return f;
}

// Column widths in the program's own font (the layout's widths were measured
// in another): a key code column holds 16 of its widest digit, a flag column
// 16 flags, and every column at least its heading, so that no heading is cut
// to where it cannot be told from its neighbours.
constexpr int TextPad = 12;  // the cell's margins and the editor's frame

int textWidth(const QWidget *grid, const QString &text)
{
    return grid->fontMetrics().horizontalAdvance(text) + TextPad;
}

int codeWidth(const QWidget *grid)
{
    int widest = 0;
    for (QChar digit : QStringLiteral("0123456789ABCDEF"))
        widest = std::max(widest, textWidth(grid, QString(16, digit)));
    return widest;
}

// What a column holds, as the widest text it should show whole.
enum class Holds { Code, Flags, Number, Name };

int columnWidth(const QWidget *grid, const QString &heading, Holds holds)
{
    int least = 0;
    switch (holds) {
    case Holds::Code: least = codeWidth(grid); break;
    case Holds::Flags: least = textWidth(grid, QStringLiteral("0000000000000000")); break;
    case Holds::Number: least = textWidth(grid, QStringLiteral("000")); break;
    case Holds::Name: least = textWidth(grid, QStringLiteral("Procházková")); break;
    }
    return std::max(least, textWidth(grid, heading));
}

QList<int> columnWidths(const QWidget *grid, const Headings &h, int row, const QList<Holds> &holds)
{
    QList<int> widths;
    for (int c = 0; c < holds.size(); ++c)
        widths << columnWidth(grid, h.at(c, row), holds[c]);
    return widths;
}

// The width a table grid needs to show these columns beside its record indicator and scroll bar.
int gridWidth(const QTableView *grid, const QList<int> &widths)
{
    const int indicator = grid->verticalHeader()->isHidden() ? 0 : std::max(16, grid->verticalHeader()->sizeHint().width());
    int w = 2 * grid->frameWidth() + indicator + grid->verticalScrollBar()->sizeHint().width();
    for (int c : widths)
        w += c;
    return w;
}

using H = Holds;
const QList<Holds> archiveHolds{H::Number, H::Code, H::Flags};
const QList<Holds> personHolds{H::Number, H::Code, H::Name, H::Name, H::Name, H::Name, H::Name, H::Name, H::Name};
const QList<Holds> deviceHolds{H::Number, H::Name, H::Number, H::Number, H::Number, H::Number};
const QList<Holds> workingHolds{H::Number, H::Code, H::Flags, H::Name};

// The space a grid has beyond what its columns need goes to its name column.
void fitColumns(QTableView *grid, QList<int> widths, int nameCol)
{
    widths[nameCol] += std::max(0, grid->width() - gridWidth(grid, widths));
    if (auto *g = qobject_cast<DBGrid *>(grid))
        g->setColumnWidths(widths);
    else
        static_cast<TextGrid *>(grid)->setColWidths(widths);
}

void fitColumns(TForm1 &f)
{
    const Headings &h = f.headings;
    fitColumns(f.DBGrid1, columnWidths(f.DBGrid1, h, 1, archiveHolds), 1);
    fitColumns(f.DBGrid2, columnWidths(f.DBGrid2, h, 2, personHolds), 2);
    fitColumns(f.DBGrid3, columnWidths(f.DBGrid3, h, 3, deviceHolds), 1);
    fitColumns(f.StringGrid1, columnWidths(f.StringGrid1, h, 0, workingHolds), 3);
}

// The person list gets the width its columns need (the window stays within a
// 1366 x 768 screen), the device list below it the same right edge; the
// buttons at their right ends move with them.
void widenLists(TForm1 &f)
{
    constexpr int MostRight = 1340;
    const int need = gridWidth(f.DBGrid2, columnWidths(f.DBGrid2, f.headings, 2, personHolds));
    const int dx = std::clamp(need - f.DBGrid2->width(), 0, MostRight - f.DBGrid2->geometry().right());
    f.DBGrid2->resize(f.DBGrid2->width() + dx, f.DBGrid2->height());
    f.DBGrid3->resize(f.DBGrid2->geometry().right() - f.DBGrid3->x() + 1, f.DBGrid3->height());
    for (int n : {8, 9, 12, 13})
        f.speedButton(n)->move(f.speedButton(n)->x() + dx, f.speedButton(n)->y());
}

QLabel *label(const QString &text, int x, int y, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}
} // namespace

TForm1::TForm1(const QString &exePath, std::unique_ptr<SerialPort> port, QWidget *parent)
    : QMainWindow(parent), link(std::move(port))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("TAVO"));
    programFolder = folderOf(exePath);
    LoadUserSettings(headings, settingsFile());
    db.programFolder = programFolder;
    db.databaseFolder = programFolder;
    db.Table1.setTableName(QStringLiteral("arch1"));
    db.Table2.setTableName(QStringLiteral("DEMOosoby"));
    db.Table3.setTableName(QStringLiteral("DEMOzarizeni"));
    for (Table *t : {&db.Table1, &db.Table2, &db.Table3})
        t->setDatabaseFolder(db.databaseFolder);
    db.reportSaveFailure = [this](const QString &f, const QString &r) { reportSaveFailure(f, r); };
    buildControls();
    buildMenu();
    bindSetTools();
    // A table opened or switched shows the operator's headings, and the
    // archive set's name above its grid.
    for (Table *t : {&db.Table1, &db.Table2, &db.Table3})
        headingSubscriptions_ << t->subscribe([this, t](DataSet::Change c) {
            if (c == DataSet::Change::Structure && t->active())
                headingRefresh();
        });
    db.CheckBox1 = {[this] { return CheckBox1->isChecked(); }, [this](bool on) { CheckBox1->setChecked(on); }};
    exchange.DBGrid1 = DBGrid1;
    exchange.DBGrid2 = DBGrid2;
    exchange.DBGrid3 = DBGrid3;
    exchange.DBNavigator1 = DBNavigator1;
    exchange.DBNavigator2 = DBNavigator2;
}

TForm1::~TForm1()
{
    const QList<Table *> tables{&db.Table1, &db.Table2, &db.Table3};
    for (int i = 0; i < headingSubscriptions_.size(); ++i)
        tables[i]->unsubscribe(headingSubscriptions_[i]);
    // The views go before the tables they show.
    for (DBGrid *g : {DBGrid1, DBGrid2, DBGrid3})
        g->setTable(nullptr);
    DBNavigator1->setTable(nullptr);
    DBNavigator2->setTable(nullptr);
}

void TForm1::buildControls()
{
    auto *c = new QWidget(this);
    setCentralWidget(c);
    Label1 = label(QStringLiteral("Archivní sestava"), 0, 9, c);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setMinimumWidth(280);
    Label4 = label(QStringLiteral("Seznam osob"), 374, 9, c);
    Label2 = label(QStringLiteral("Pracovní sestava"), 0, 334, c);
    Label3 = label(QStringLiteral("Seznam zařízení"), 463, 334, c);

    DBGrid1 = new DBGrid(c);
    DBGrid1->setGeometry(0, 28, 356, 296);
    DBGrid2 = new DBGrid(c);
    DBGrid2->setGeometry(374, 28, 582, 296);
    DBGrid3 = new DBGrid(c);
    DBGrid3->setGeometry(463, 352, 493, 287);
    DBNavigator1 = new DBNavigator(c);
    DBNavigator1->setGeometry(660, 0, 196, 28);
    DBNavigator2 = new DBNavigator(c);
    DBNavigator2->setGeometry(660, 324, 196, 28);
    DBGrid1->setTable(&db.Table1);
    DBGrid2->setTable(&db.Table2);
    DBGrid3->setTable(&db.Table3);
    connectHandler(DBGrid3, &DBGrid::recordDoubleClicked, this, [this] { DBGrid3DblClick(); });
    DBNavigator1->setTable(&db.Table2);
    DBNavigator2->setTable(&db.Table3);

    CheckBox1 = new QCheckBox(QStringLiteral("Seřadit podle příjmení"), c);
    CheckBox1->move(482, 2);
    connectHandler(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });

    StringGrid1 = new TextGrid(&db.workingSet, c);
    StringGrid1->setRowHeights(18);
    StringGrid1->setGeometry(0, 352, 444, 287);
    connectHandler(StringGrid1, &TextGrid::cellSelected, this, [this](int col, int row) { StringGrid1SelectCell(col, row); });

    for (const SpeedDef &s : speedDefs)
        addSpeedButton(s.n, s.x, s.y, QString::fromUtf8(s.hint), s.icon);
    widenLists(*this);
    c->setMinimumSize(DBGrid2->geometry().right() + 9, 645);
    fitColumns(*this);
    setTabOrder(DBGrid1, DBGrid2);
    setTabOrder(DBGrid2, StringGrid1);
    setTabOrder(StringGrid1, DBGrid3);
}

QToolButton *TForm1::addSpeedButton(int n, int x, int y, const QString &hint, int icon)
{
    auto *b = new QToolButton(centralWidget());
    b->setObjectName(QStringLiteral("SpeedButton%1").arg(n));
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setIcon(style()->standardIcon(QStyle::StandardPixmap(icon)));
    b->setGeometry(x, y, 35, 27);
    b->setFocusPolicy(Qt::NoFocus);
    b->setEnabled(false);
    speedButtons.append(b);
    return b;
}

void TForm1::buildMenu()
{
    for (const MenuDef &m : mainMenu()) {
        QMenu *menu = menuBar()->addMenu(QString::fromUtf8(m.caption));
        menu->setObjectName(QString::fromLatin1(m.name));
        for (const MenuRow &row : m.items) {
            if (QByteArray(row.caption) == "-") {
                menu->addSeparator()->setObjectName(QString::fromLatin1(row.name));
                continue;
            }
            QAction *a = menu->addAction(QString::fromUtf8(row.caption));
            a->setObjectName(QString::fromLatin1(row.name));
            menuItems_.insert(a->objectName(), a);
            a->setEnabled(row.handler != nullptr);
            if (row.handler)
                connectHandler(a, &QAction::triggered, this, [this, h = row.handler] { (this->*h)(); });
        }
    }
    // A speed button acts as its menu item does, and is enabled with it.
    for (const SpeedDef &s : speedDefs) {
        QAction *a = s.sameAs ? menuItem(QString::fromLatin1(s.sameAs)) : nullptr;
        if (!a)
            continue;
        QToolButton *b = speedButton(s.n);
        b->setEnabled(a->isEnabled());
        connectHandler(b, &QToolButton::clicked, a, [a] { a->trigger(); });
    }
}

void TForm1::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    guarded([this] { FormShow(); });
}

void TForm1::FormShow()
{
    if (!dialogs_.form7)
        return;
    connectHandler(dialogs_.form7, &TForm7::closed, this, [this] { afterLogin(); });
    dialogs_.form7->setWindowModality(Qt::ApplicationModal);
    dialogs_.form7->show();
}

void TForm1::afterLogin()
{
    if (enteredPassword != headings.storedPassword()) {
        close();
        return;
    }
    started = true;
    db.databaseName = QStringLiteral("DEMO");
    db.loadWorkingSet(db.databaseName);
    db.openTables();
    PortSettings port = link.settings();
    loadPortSettings(portSettingsFile(), port);
    link.applySettings(port);
    link.targetAddress = 255;
    link.currentAddress = 255;
    link.relayTime = 5;
    link.codeCount = 510;
    insertionRow = 1;
    link.storedCount = 0;
    codeMemory.detectedCount = 0;
    codeMemory.selectDevice();
}

void TForm1::headingRefresh()
{
    // Setting a table's labels tells its views of a change of structure too.
    if (refreshingHeadings_)
        return;
    refreshingHeadings_ = true;
    const struct Done {
        bool &flag;
        ~Done() { flag = false; }
    } done{refreshingHeadings_};
    for (int c = 0; c < 4; ++c)
        db.workingSet.setCell(c, 0, headings.at(c, 0));
    const QList<Table *> tables{&db.Table1, &db.Table2, &db.Table3};
    for (int k = 0; k < 3; ++k) {
        Table &t = *tables[k];
        for (int i = 0; i < t.fieldCount() && i < Headings::Cols; ++i)
            t.setDisplayLabel(i, headings.at(i, k + 1));
    }
    setWindowTitle(QStringLiteral("TAVO   databáze ") + db.databaseName);
    Label1->setText(QStringLiteral("Archivní sestava: ") + db.Table1.tableName());
    Label1->adjustSize();
    fitColumns(*this);
}

bool TForm1::FormCloseQuery()
{
    if (started) {
        started = false;
        db.saveWorkingSet(db.databaseName);
        db.closeTables();
    }
    return true;
}

void TForm1::closeEvent(QCloseEvent *e)
{
    guarded([this] { FormCloseQuery(); });
    e->accept();
    QApplication::quit();
}

void TForm1::reportSaveFailure(const QString &file, const QString &reason)
{
    op().messageBox(QStringLiteral("Upozornění"),
                    QStringLiteral("Pracovní sestavu nelze uložit do souboru ") + file + QStringLiteral(": ") + reason,
                    MB_OK | MB_ICONEXCLAMATION);
}

bool TForm1::ask(const QString &question)
{
    return op().messageBox(QStringLiteral("Dotaz"), question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TForm1::StringGrid1SelectCell(int, int row) { insertionRow = row; }

void TForm1::NastDatabzi1Click() { dialogs_.form11->show(); }

void TForm1::UloitDatabzi1Click() { dialogs_.form9->show(); }

void TForm1::CteniUdalostiClick() { dialogs_.form13->CteniUdalostiClick(); }

void TForm1::NastaveniCasuClick() { dialogs_.form14->NastaveniCasuClick(); }

void TForm1::AktivaceTAVOBClick() { dialogs_.form12->AktivaceTAVOBClick(); }

void TForm1::Vymazatpracovnsestavu1Click()
{
    if (ask(QStringLiteral("Opravdu si přejete vymazat pracovní sestavu?")))
        clearWorkingSet(db.workingSet);
}

void TForm1::VymazatArchivnsestavu1Click()
{
    if (!ask(QStringLiteral("Opravdu si přejete vymazat archivní sestavu?")))
        return;
    DBGrid1->hide();
    struct Show {
        QWidget *w;
        ~Show() { w->show(); }
    } showAgain{DBGrid1};
    db.emptyArchive();
}

void TForm1::Vymazatseznamosob1Click()
{
    if (ask(QStringLiteral("Opravdu si přejete vymazat seznam osob?")))
        db.emptyTable(db.Table2);
}

void TForm1::VzmazatseznamZazen1Click()
{
    if (ask(QStringLiteral("Opravdu si přejete vymazat seznam zařízení?")))
        db.emptyTable(db.Table3);
}

void TForm1::Nastavenkomunikace1Click() { runPortSetup(link, portSettingsFile(), this); }

void TForm1::UzivatelskeNastaveniClick() { dialogs_.form6->show(); }

void TForm1::Oprogramu1Click() { dialogs_.form8->show(); }

void TForm1::Npovda1Click() { dialogs_.form10->show(); }

void TForm1::Image3Click()
{
    dialogs_.form5->show();
    dialogs_.form5->raise();
    dialogs_.form5->activateWindow();
}

void TForm1::Testrel1Click() { dialogs_.form18->Testrel1Click(); }

void TForm1::V1Click() { dialogs_.form17->V1Click(); }

void TForm1::ZapisTabulkyDoPameti1Click() { dialogs_.form2->ZapisTabulkyDoPameti1Click(); }

void TForm1::ZapisSOverenim1Click() { dialogs_.form2->ZapisSOverenim1Click(); }

void TForm1::CteniTabulkyZpameti1Click() { dialogs_.form2->CteniTabulkyZpameti1Click(); }

void TForm1::DetekceSite1Click() { dialogs_.form2->DetekceSite1Click(); }
