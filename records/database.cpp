#include "records/database.h"
#include "records/working_set.h"
#include "core/operator.h"

#include <QFile>

namespace {
FieldDef text(const char *name, int width) { return FieldDef{QString::fromLatin1(name), 'C', width, 0}; }

QString withoutExt(const QString &name)
{
    return name.endsWith(QLatin1String(".DBF"), Qt::CaseInsensitive) ? name.left(name.size() - 4) : name;
}

bool sameTable(const QString &a, const QString &b) { return withoutExt(a).compare(withoutExt(b), Qt::CaseInsensitive) == 0; }
} // namespace

QList<FieldDef> archiveFields() { return {text("SE0", 3), text("SE1", 16), text("SE2", 16)}; }

// Person fields: OS1 the key code, OS2 the surname, the others free texts.
QList<FieldDef> personFields()
{
    return {text("OS0", 10), text("OS1", 16), text("OS2", 30), text("OS3", 30), text("OS4", 50),
            text("OS5", 50), text("OS6", 50), text("OS7", 50), text("OS8", 50)};
}

QList<FieldDef> deviceFields()
{
    return {text("ZA0", 10), text("ZA1", 30), text("ZA2", 20), text("ZA3", 3), text("ZA4", 3), text("ZA5", 3)};
}

// The slots are filled under a name of their own and the table is then copied
// into place whole, so a crash or a full disk never leaves an archive set
// with fewer than its 510 slots.
void createArchiveTable(const QString &folder, const QString &name)
{
    Table t;
    t.setDatabaseFolder(folder);
    t.setTableName(QStringLiteral("~") + name);
    Table::create(folder, t.tableName(), archiveFields());
    try {
        t.open();
        for (int n = 1; n <= SlotCount; ++n) {
            t.append();
            t.setFieldText(0, slotNumber(n));
            t.post();
        }
        t.close();
        Table::copyTable(folder, t.tableName(), name);
    } catch (...) {
        t.cancel();
        t.close();
        QFile::remove(t.filePath());
        throw;
    }
    QFile::remove(t.filePath());
}

void Database::loadWorkingSet(const QString &name)
{
    workingSetPath = workingSetFile(name);
    LoadWorkingSet(workingSet, workingSetPath);
}

void Database::saveWorkingSet(const QString &name)
{
    workingSetPath = workingSetFile(name);
    QString reason;
    if (!SaveWorkingSet(workingSet, workingSetPath, &reason) && reportSaveFailure)
        reportSaveFailure(workingSetPath, reason);
}

void Database::ensureTable(Table &t, const QList<FieldDef> &fields, bool archive)
{
    t.setDatabaseFolder(databaseFolder);
    if (t.exists())
        return;
    if (archive)
        createArchiveTable(databaseFolder, t.tableName());
    else
        Table::create(databaseFolder, t.tableName(), fields);
}

void Database::openTables()
{
    ensureTable(Table1, archiveFields(), true);
    ensureTable(Table2, personFields(), false);
    ensureTable(Table3, deviceFields(), false);
    Table1.setIndexFieldNames(QStringLiteral("SE0"));
    Table2.setIndexFieldNames(QStringLiteral("OS1"));
    Table3.setIndexFieldNames(QStringLiteral("ZA2"));
    Table1.open();
    Table2.open();
    Table3.open();
}

void Database::closeTables()
{
    Table1.close();
    Table2.close();
    Table3.close();
}

// A failure shows the engine's own error; the table is left in shared use
// again (open when it can be), never locked exclusively.
void Database::emptyTable(Table &t)
{
    t.close();
    t.setExclusive(true);
    try {
        t.open();
        t.emptyTable();
    } catch (...) {
        t.close();
        t.setExclusive(false);
        try {
            t.open();
        } catch (...) {
            // The emptying's error is the one the operator needs to see.
        }
        throw;
    }
    t.close();
    t.setExclusive(false);
    t.open();
}

void Database::emptyArchive()
{
    emptyTable(Table1);
    for (int n = 1; n <= SlotCount; ++n) {
        Table1.insert();
        Table1.setFieldText(0, slotNumber(n));
        Table1.setFieldText(1, QString());
        Table1.setFieldText(2, QString());
        Table1.post();
        Table1.next();
    }
}

void Database::renameLists(const QString &name)
{
    Table2.setTableName(personTableName(name));
    Table3.setTableName(deviceTableName(name));
}

void Database::openLists()
{
    Table2.open();
    Table3.open();
}

void Database::SaveDatabaseAs(const QString &name)
{
    const QString current = databaseName;
    saveWorkingSet(current);
    Table2.close();
    Table3.close();
    renameLists(name);
    if (Table2.exists() || Table3.exists()) {
        const QString q = QStringLiteral("Databáze ") + name + QStringLiteral(" již existuje. Chcete ji přepsat?");
        if (op().messageBox(QStringLiteral("Dotaz"), q, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            renameLists(current);
            openLists();
            return;
        }
    }
    renameLists(current);
    openLists();
    // Saving under the current name would copy each table onto itself.
    if (!sameTable(personTableName(name), personTableName(current))) {
        Table::copyTable(databaseFolder, personTableName(current), personTableName(name));
        Table::copyTable(databaseFolder, deviceTableName(current), deviceTableName(name));
    }
    saveWorkingSet(name);
    Table2.close();
    Table3.close();
    renameLists(name);
    databaseName = name;
    openLists();
}

void Database::LoadDatabase(const QString &name)
{
    const QString current = databaseName;
    saveWorkingSet(current);
    Table2.close();
    Table3.close();
    renameLists(name);
    if (Table2.exists() && Table3.exists()) {
        databaseName = name;
    } else {
        op().messageBox(QStringLiteral("Upozornění"), QStringLiteral("Databáze ") + name + QStringLiteral(" neexistuje."),
                        MB_OK | MB_ICONEXCLAMATION);
        renameLists(current);
    }
    loadWorkingSet(databaseName);
    openLists();
}
