#include "records/set_tools.h"
#include "records/working_set.h"

#include <QSet>

namespace {
constexpr int CodeCol = 1, FlagsCol = 2, NameCol = 3;
constexpr int SlotField = 0, CodeField = 1, FlagsField = 2;  // SE0, SE1, SE2
constexpr int PersonCode = 1, PersonName = 2;                // OS1, OS2

const QString Zeros = QStringLiteral("0000000000000000");
const QString Ones = QStringLiteral("FFFFFFFFFFFFFFFF");

// Switching the order tells the views to start again: only when it changes.
void useIndex(Table &t, const QString &field)
{
    if (t.indexFieldNames().compare(field, Qt::CaseInsensitive) != 0)
        t.setIndexFieldNames(field);
}

bool insideSet(const TextTable &set, int row) { return row >= 1 && row <= SlotCount && row < set.rowCount(); }

bool blankCode(const QString &s) { return s == Zeros || s == Ones; }
} // namespace

bool isNoCode(const QString &code) { return code.isEmpty() || blankCode(code) || code == QLatin1String("CHYBA"); }

// Walking past the end of a short table would pair every further row with its
// last record; the missing slots are made first instead.
QList<Table::Bookmark> archiveSlots(Table &archive)
{
    useIndex(archive, QStringLiteral("SE0"));
    for (int n = archive.recordCount() + 1; n <= SlotCount; ++n) {
        archive.append();
        archive.setFieldText(SlotField, slotNumber(n));
        archive.post();
    }
    QList<Table::Bookmark> slotRecords;
    slotRecords.reserve(SlotCount);
    for (int p = 0; p < SlotCount; ++p)
        slotRecords.append(archive.bookmarkAt(p));
    return slotRecords;
}

bool addFromArchive(TextTable &set, int &insertionRow, const Table &archive)
{
    if (!insideSet(set, insertionRow))
        return false;
    set.setCell(CodeCol, insertionRow, archive.fieldText(CodeField));
    set.setCell(FlagsCol, insertionRow, archive.fieldText(FlagsField));
    ++insertionRow;
    return true;
}

bool addFromPersons(TextTable &set, int &insertionRow, const Table &persons)
{
    if (!insideSet(set, insertionRow))
        return false;
    set.setCell(CodeCol, insertionRow, persons.fieldText(PersonCode));
    set.setCell(NameCol, insertionRow, persons.fieldText(PersonName));
    ++insertionRow;
    return true;
}

// Each slot is found by its bookmark, so a record whose SE0 changes (and with
// it its place in the order) does not throw the walk off.
void copyWorkingToArchive(const TextTable &set, Table &archive)
{
    const QList<Table::Bookmark> slotRecords = archiveSlots(archive);
    for (int n = 1; n <= SlotCount; ++n) {
        archive.gotoBookmark(slotRecords[n - 1]);
        archive.edit();
        try {
            archive.setFieldText(SlotField, slotNumber(n));
            archive.setFieldText(CodeField, set.cell(CodeCol, n));
            archive.setFieldText(FlagsField, set.cell(FlagsCol, n));
        } catch (...) {
            archive.cancel();  // the slot keeps what it held; those before stay written
            throw;
        }
        archive.post();
    }
}

void copyArchiveToWorking(Table &archive, TextTable &set)
{
    const QList<Table::Bookmark> slotRecords = archiveSlots(archive);
    for (int n = 1; n <= SlotCount; ++n) {
        archive.gotoBookmark(slotRecords[n - 1]);
        set.setRow(n, {slotLabel(n), archive.fieldText(CodeField), archive.fieldText(FlagsField)});
    }
}

bool archiveAgrees(const QString &archived, const QString &working)
{
    return archived == working || (archived.isEmpty() && blankCode(working)) || (working.isEmpty() && blankCode(archived));
}

Comparison compareSets(const TextTable &set, Table &archive)
{
    Comparison found;
    const QList<Table::Bookmark> slotRecords = archiveSlots(archive);
    for (int n = 1; n <= SlotCount; ++n) {
        archive.gotoBookmark(slotRecords[n - 1]);
        for (int k : {CodeCol, FlagsCol}) {
            if (archiveAgrees(archive.fieldText(k), set.cell(k, n)))
                continue;
            found.note(k, n);
            found.record = slotRecords[n - 1];
        }
    }
    if (found.record >= 0)
        archive.gotoBookmark(found.record);
    return found;
}

Finding fillSurnames(TextTable &set, Table &persons)
{
    Finding found;
    useIndex(persons, QStringLiteral("OS1"));
    for (int n = 1; n <= SlotCount; ++n) {
        const QString code = set.cell(CodeCol, n);
        if (isNoCode(code)) {
            set.setCell(NameCol, n, QString());
        } else if (persons.findKey(code)) {
            set.setCell(NameCol, n, persons.fieldText(PersonName));
        } else {
            set.setCell(NameCol, n, QStringLiteral("neznámý"));
            found.note(CodeCol, n);
        }
    }
    return found;
}

// From the bottom up: a row counts when its code was seen below it.
Finding workingSetDuplicates(const TextTable &set)
{
    Finding found;
    QSet<QString> below;
    for (int n = SlotCount; n >= 1; --n) {
        const QString code = set.cell(CodeCol, n);
        if (isNoCode(code))
            continue;
        if (below.contains(code)) {
            ++found.count;
            if (found.row < 0) {
                found.col = CodeCol;
                found.row = n;
            }
        } else {
            below.insert(code);
        }
    }
    return found;
}

PersonDuplicates personDuplicates(Table &persons)
{
    PersonDuplicates found;
    useIndex(persons, QStringLiteral("OS1"));
    QString previous = persons.textAt(0, PersonCode);
    for (int p = 1; p < persons.recordCount(); ++p) {
        QString code = persons.textAt(p, PersonCode);
        if (code == previous && !isNoCode(code)) {
            ++found.count;
            found.lastCode = code;
        }
        previous = std::move(code);
    }
    return found;
}
