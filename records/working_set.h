#pragma once
// The working set: 510 slots of one device's code memory as the operator edits
// them, a table of 511 rows x 4 texts (row 0 the headings, column 0 the slot
// labels) that the main window's grid StringGrid1 shows, and its file: 511
// lines of 4 cells separated by ";", CR LF after every line.

#include "core/text_table.h"

#include <QString>

constexpr int SlotCount = 510;

// "master" for slot 1, then "002" ... "510".
QString slotLabel(int slot);
// "001" ... "510", the archive set's slot numbers.
QString slotNumber(int slot);

// A working set of empty slots with their labels; the heading row and the
// label column are fixed.
class WorkingSet : public TextTable {
public:
    static constexpr int Rows = SlotCount + 1;
    static constexpr int Cols = 4;
    WorkingSet();
};

// Rows 1..510: slot labels in column 0, columns 1..3 empty; row 0 stays.
void clearWorkingSet(TextTable &set);

// The file's bytes for the working set (";" dropped from the cells).
QByteArray workingSetBytes(const TextTable &set);
// Fills the working set from the file's bytes. A line ends at CR LF, LF or CR;
// cells a short file does not reach keep what they held.
void fillWorkingSet(TextTable &set, const QByteArray &bytes);

// Reads the file into the working set; a missing or unreadable file changes nothing.
void LoadWorkingSet(TextTable &set, const QString &fileName);
// Writes the working set to the file (a temporary file renamed over the old one).
// On failure returns false with the system's reason; the old file stays.
bool SaveWorkingSet(const TextTable &set, const QString &fileName, QString *reason = nullptr);
