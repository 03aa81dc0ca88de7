#pragma once
// The exchange files of the four record sets: the set's column headings on
// line 0, one record a line after it, fields separated by ";", CR LF after
// every line, Windows-1250, no quoting (a ";" inside a value is dropped).
//
// Reading is lenient where other programs write differently: a line ends at
// CR LF, LF or CR alone, and a file that starts with a UTF-8 byte-order mark
// (a spreadsheet's "CSV UTF-8") is read as UTF-8. The whole file is read,
// however large.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class Table;
class TextTable;

// The file's text: UTF-8 after a byte-order mark, Windows-1250 otherwise.
QString exchangeText(const QByteArray &bytes);

// Calls line(n, fields) for every line of the file, n counted from 0 (the
// heading line). A last line without its line end counts; an empty last
// line after the final line end does not.
void forEachExchangeLine(const QByteArray &bytes, const std::function<void(int n, const QStringList &fields)> &line);

// The values of one line as an appending import stores them into a record
// of fieldCount fields: the first fieldCount - 1 values into the fields of
// the same position, the last field the line's last value once the line
// reaches it. Empty when the line holds no ";" (no record for it).
QStringList recordValues(const QStringList &fields, int fieldCount);

// The export of a table: the headings, then every record in the table's
// order (all of them when rows < 0, else exactly rows lines, lines past the
// last record holding blank(n) for line n counted from 1).
QByteArray tableExportBytes(const QStringList &headings, const Table &table, int rows = -1,
                            const std::function<QStringList(int n)> &blank = nullptr);

// Appends a record for every data line that holds a ";" (see recordValues);
// existing records stay. Returns the number of records added.
int appendImport(Table &table, const QByteArray &bytes);

// Line n = 1 ... of the file writes its second and third field into SE1 and
// SE2 of the n-th record in the table's order; SE0 keeps its value, a line
// of fewer than three fields writes nothing, records past the file's last
// line (or past line 510) stay as they were. Returns the records written.
int archiveImport(Table &table, const QByteArray &bytes);

// The working set from an exchange file: line r fills row r (0 ... 510),
// field k column k; cells a short file or line does not reach stay.
void workingSetImport(TextTable &set, const QByteArray &bytes);
