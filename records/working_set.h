#pragma once
// The working set: 510 slots of one device's code memory as the operator edits
// them, in the grid StringGrid1 (511 rows x 4 columns, row 0 the headings),
// and its file: 511 lines of 4 cells separated by ";", CR LF after every line.

#include <QString>

class TextGrid;

constexpr int SlotCount = 510;

// "master" for slot 1, then "002" ... "510".
QString slotLabel(int slot);
// "001" ... "510", the archive set's slot numbers.
QString slotNumber(int slot);

// Creates the grid with its fixed row and column, widths and labels.
TextGrid *createWorkingSetGrid();

// Rows 1..510: slot labels in column 0, columns 1..3 empty; row 0 stays.
void clearWorkingSet(TextGrid &grid);

// The file's bytes for the grid (";" dropped from the cells).
QByteArray workingSetBytes(const TextGrid &grid);
// Fills the grid from the file's bytes. A line ends at CR LF, LF or CR;
// cells a short file does not reach keep what they held.
void fillWorkingSet(TextGrid &grid, const QByteArray &bytes);

// Reads the file into the grid; a missing or unreadable file changes nothing.
void LoadWorkingSet(TextGrid &grid, const QString &fileName);
// Writes the grid to the file (a temporary file renamed over the old one).
// On failure returns false with the system's reason; the old file stays.
bool SaveWorkingSet(const TextGrid &grid, const QString &fileName, QString *reason = nullptr);
