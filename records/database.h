#pragma once
// The operator's records: a database is a named pair of a person list and a
// device list with its working-set file; archive sets are tables of their own,
// one per device, shared by all databases.

#include "records/headings.h"
#include "records/table.h"
#include "records/working_set.h"

#include <QString>
#include <functional>


// The structures of the three kinds of table, as a fresh folder gets them.
QList<FieldDef> archiveFields();
QList<FieldDef> personFields();
QList<FieldDef> deviceFields();

// Creates an archive table with the 510 empty slots "001" ... "510".
void createArchiveTable(const QString &folder, const QString &name);

class Database {
public:
    // Table names for database name n.
    static QString personTableName(const QString &n) { return n + QStringLiteral("osoby.DBF"); }
    static QString deviceTableName(const QString &n) { return n + QStringLiteral("zarizeni.DBF"); }

    QString programFolder;   // with its trailing separator
    QString databaseFolder;  // the folder of the tables ("TAVODB")
    QString databaseName;
    QString workingSetPath;
    Table Table1, Table2, Table3;
    WorkingSet workingSet;                  // shown in the main window's StringGrid1
    // The main window's "Seřadit podle příjmení": whether it is on, and turning it.
    struct SortSwitch {
        std::function<bool()> isOn;
        std::function<void(bool)> turn;
    } CheckBox1;
    // Shows the warning when the working set cannot be saved.
    std::function<void(const QString &file, const QString &reason)> reportSaveFailure;

    QString workingSetFile(const QString &name) const { return programFolder + name + QStringLiteral("pracovni.csv"); }
    void loadWorkingSet(const QString &name);
    void saveWorkingSet(const QString &name);

    // Opens the three tables under the current names, creating any that is missing.
    void openTables();
    void closeTables();

    // Close, open exclusively, delete all records, end exclusive use, open.
    void emptyTable(Table &t);
    // Empties the archive set and refills it with 510 empty slots.
    void emptyArchive();

    void SaveDatabaseAs(const QString &name);
    void LoadDatabase(const QString &name);
    void GotoRecord(const QString &tableName, const QString &key);

private:
    void renameLists(const QString &name);
    void openLists();
    void ensureTable(Table &t, const QList<FieldDef> &fields, bool archive);
};
