#pragma once
// The set tools as walks over the working set (a value), the archive set of the
// selected device and the person list: adding one record to the working set,
// copying the working set to the archive set and back, comparing the two,
// filling in the owners' surnames, and finding codes held twice.
// Rows are those of the working set (1 ... 510; column 1 code, 2 flags,
// 3 surname); fields those of the archive set (SE0 ... SE2) and the person
// list (OS1 code, OS2 surname). The messages and the grids are the main
// window's business.

#include "core/text_table.h"
#include "records/table.h"

#include <QList>
#include <QString>

// The empty text, "0000000000000000", "FFFFFFFFFFFFFFFF" and "CHYBA": no key
// code to the set tools. Exact texts: "ffffffffffffffff" is a code.
bool isNoCode(const QString &code);

// The records of the archive set that pair with rows 1 ... 510: the first 510
// in slot (SE0) order. A table holding fewer (one from an older version or
// another program) first gets the missing slots "nnn" appended, empty;
// records past the 510th are never touched. Changes the active index to SE0.
QList<Table::Bookmark> archiveSlots(Table &archive);

// Adds the current archive record (SE1, SE2 into columns 1, 2) or the current
// person (OS1, OS2 into columns 1, 3) to the working set at the insertion
// row, which then moves on by one. The other cells of the row stay. A row
// outside 1 ... 510 (the set is full after an add into row 510) gets nothing
// and the insertion row stays; false then.
bool addFromArchive(TextTable &set, int &insertionRow, const Table &archive);
bool addFromPersons(TextTable &set, int &insertionRow, const Table &persons);

// Slot n's record gets SE0 "nnn", the code and the flags of row n.
void copyWorkingToArchive(const TextTable &set, Table &archive);
// Row n gets its slot label, SE1, SE2 and an empty surname; the heading row stays.
void copyArchiveToWorking(Table &archive, TextTable &set);

// What a checking tool found: how many, and the cell of the last finding
// (col and row -1 when nothing was found).
struct Finding {
    int count = 0;
    int col = -1;
    int row = -1;
    void note(int c, int r)
    {
        ++count;
        col = c;
        row = r;
    }
};

// An archive field and a working-set cell agree when equal, or when one is
// empty and the other "0000000000000000" or "FFFFFFFFFFFFFFFF". Codes and flag
// texts alike.
bool archiveAgrees(const QString &archived, const QString &working);

struct Comparison : Finding {
    Table::Bookmark record = -1;  // the archive record of the last difference
};
// Pairs SE1 with column 1 and SE2 with column 2 for every slot. The archive
// set is left on the record of the last difference, or on slot 510.
Comparison compareSets(const TextTable &set, Table &archive);

// Every row's surname from the person with its code: empty for no code,
// "neznámý" (a finding in column 1) for a code nobody holds. Looks the codes
// up in code order (index OS1), which it leaves active; the person list stays
// on the last person found.
Finding fillSurnames(TextTable &set, Table &persons);

// Each row whose code (not no code) occurs again further down counts once,
// in column 1; so a code in three rows counts two.
Finding workingSetDuplicates(const TextTable &set);

struct PersonDuplicates {
    int count = 0;
    QString lastCode;  // the code of the last pair found
};
// Neighbours in code order (index OS1, left active) with the same code (not
// no code) count once per pair. The cursor does not move.
PersonDuplicates personDuplicates(Table &persons);
