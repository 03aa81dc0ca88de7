#include "exchange/exchange_commands.h"
#include "exchange/csv_exchange.h"
#include "exchange/views_away.h"
#include "core/field_lines.h"
#include "records/database.h"
#include "core/operator.h"

#include <QDir>
#include <QFile>

namespace {
const QString InitialDir = QStringLiteral("c:\\Kel-Tavo");

// The whole file, or nothing when it cannot be read.
bool readWhole(const QString &file, QByteArray *bytes)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    *bytes = f.readAll();
    return f.error() == QFileDevice::NoError;
}
} // namespace

QString Exchange::OpenDialog1()
{
    FileDialogRequest r{QString(), QStringLiteral("text oddělený středníkem (*.csv)|*.csv|všechny soubory (*.*)|*.*"),
                        QStringLiteral("csv"), InitialDir, openName};
    const QString name = op().openFileName(r);
    if (!name.isEmpty())
        openName = name;
    return name;
}

QString Exchange::SaveDialog1()
{
    FileDialogRequest r{QString(), QStringLiteral("text oddělený středníkem (*.csv)|*.csv"), QStringLiteral("csv"),
                        InitialDir, saveName};
    const QString name = op().saveFileName(r);
    if (!name.isEmpty())
        saveName = name;
    return name;
}

QStringList Exchange::setHeadings(int k, int fields) const
{
    QStringList out;
    for (int c = 0; c < fields; ++c)
        out << (c < Headings::Cols ? headings.at(c, k) : QString());
    return out;
}

bool Exchange::writeExport(const QString &file, const QByteArray &bytes)
{
    QString reason;
    if (writeWholeFile(file, bytes, &reason))
        return true;
    op().messageBox(QStringLiteral("Upozornění"),
                    QStringLiteral("Soubor ") + QDir::toNativeSeparators(file) + QStringLiteral(" nelze uložit: ") + reason,
                    MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void Exchange::ImportovatPracovniSestavuClick()
{
    const QString file = OpenDialog1();
    if (file.isEmpty())
        return;
    db.workingSetPath = file;
    QByteArray bytes;
    if (readWhole(file, &bytes))
        workingSetImport(db.workingSet, bytes);
}

void Exchange::ExportovatPracovniSestavuClick()
{
    const QString file = SaveDialog1();
    if (file.isEmpty())
        return;
    db.workingSetPath = file;
    writeExport(file, workingSetBytes(db.workingSet));
}

void Exchange::ImportovatArchivniSestavuClick()
{
    const QString file = OpenDialog1();
    if (file.isEmpty())
        return;
    QByteArray bytes;
    if (!readWhole(file, &bytes))
        return;
    const ViewsAway away(DBGrid1, nullptr, &db.Table1);
    db.Table1.first();
    archiveImport(db.Table1, bytes);
}

void Exchange::exportTable(int k, Table &t, int rows)
{
    const QString file = SaveDialog1();
    if (file.isEmpty())
        return;
    QByteArray bytes;
    {
        const ViewsAway away(k == 1 ? DBGrid1 : k == 2 ? DBGrid2 : DBGrid3,
                             k == 1 ? nullptr : k == 2 ? DBNavigator1 : DBNavigator2, &t);
        bytes = tableExportBytes(setHeadings(k, t.fieldCount()), t, rows,
                                 [](int n) { return QStringList{slotNumber(n), QString(), QString()}; });
        t.last();
    }
    writeExport(file, bytes);
}

void Exchange::ExportovatArchivniSestavuClick() { exportTable(1, db.Table1, SlotCount); }

void Exchange::ExportovatSeznamOsob1Click() { exportTable(2, db.Table2, -1); }

void Exchange::ExportovatSeznamZarizeniClick() { exportTable(3, db.Table3, -1); }

void Exchange::appendingImport(int k, Table &t)
{
    const QString file = OpenDialog1();
    if (file.isEmpty())
        return;
    QByteArray bytes;
    if (!readWhole(file, &bytes))
        return;
    const ViewsAway away(k == 2 ? DBGrid2 : DBGrid3, k == 2 ? DBNavigator1 : DBNavigator2, &t);
    appendImport(t, bytes);
}

void Exchange::ImportovatDoSeznamuOsobClick() { appendingImport(2, db.Table2); }

void Exchange::ImportovatDoSeznamuZarizeniClick() { appendingImport(3, db.Table3); }

// The list is emptied only once a file was chosen and read: a cancelled
// dialog or an unreadable file leaves it as it was.
void Exchange::replacingImport(int k, Table &t, const QString &question)
{
    if (op().messageBox(QStringLiteral("Dotaz"), question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const QString file = OpenDialog1();
    if (file.isEmpty())
        return;
    QByteArray bytes;
    if (!readWhole(file, &bytes)) {
        op().messageBox(QStringLiteral("Upozornění"),
                        QStringLiteral("Soubor ") + QDir::toNativeSeparators(file) + QStringLiteral(" nelze přečíst."),
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const ViewsAway away(k == 2 ? DBGrid2 : DBGrid3, k == 2 ? DBNavigator1 : DBNavigator2, &t);
    db.emptyTable(t);
    appendImport(t, bytes);
}

void Exchange::ImportovatSeznamOsobClick()
{
    replacingImport(2, db.Table2, QStringLiteral("Opravdu si přejete vymazat seznam osob a importovat nový?"));
}

void Exchange::ImportovatSeznamZarizeniClick()
{
    replacingImport(3, db.Table3, QStringLiteral("Opravdu si přejete vymazat seznam zařízení a importovat nový?"));
}
