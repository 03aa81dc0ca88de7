#pragma once
// The main window's exchange commands: CSV import and export of the four
// record sets (menu "Soubor") and their printed reports (PrintDialog1 is the
// operator service's print dialog), on the records the
// main window owns. Each handler runs synchronously; the table's grid and
// navigator are hidden and let go of the table while it runs, so the record
// moves do not redraw them.

#include <QList>
#include <QString>

class Database;
class DBGrid;
class DBNavigator;
class Table;
struct Headings;

class Exchange {
public:
    Exchange(Database &db, const Headings &headings) : db(db), headings(headings) {}

    Database &db;
    const Headings &headings;
    // The main window's views of Table1, Table2 and Table3.
    DBGrid *DBGrid1 = nullptr, *DBGrid2 = nullptr, *DBGrid3 = nullptr;
    DBNavigator *DBNavigator1 = nullptr, *DBNavigator2 = nullptr;
    // The names chosen last in OpenDialog1 and SaveDialog1.
    QString openName, saveName;

    void ImportovatPracovniSestavuClick();
    void ExportovatPracovniSestavuClick();
    void ImportovatArchivniSestavuClick();
    void ExportovatArchivniSestavuClick();
    void ImportovatSeznamOsobClick();
    void ImportovatDoSeznamuOsobClick();
    void ExportovatSeznamOsob1Click();
    void ImportovatSeznamZarizeniClick();
    void ImportovatDoSeznamuZarizeniClick();
    void ExportovatSeznamZarizeniClick();

    void TiskPracovniSestavyClick();
    void TiskArchivniSestavyClick();
    void TiskSeznamuOsobClick();
    void TiskSeznamuZarizeniClick();

    // The column headings of set k (1 archive set, 2 person list, 3 device list), one per field.
    QStringList setHeadings(int k, int fields) const;

private:
    QString OpenDialog1();
    QString SaveDialog1();
    void exportTable(int k, Table &t, int rows);
    void appendingImport(int k, Table &t);
    void replacingImport(int k, Table &t, const QString &question);
    bool writeExport(const QString &file, const QByteArray &bytes);
    void printTable(int k, Table &t);
};
