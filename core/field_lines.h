#pragma once
// The program's own text files (the working set, the settings, the exchange
// files): Windows-1250 lines of fields separated by ";", CR LF after every
// line, no quoting; a ";" inside a field is dropped on writing.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>

// Calls line(n, fields) for each of the first maxLines lines of the text, n
// from 0. A line ends at CR LF, LF or CR alone; a last line without its end
// counts when it holds anything.
void forEachFieldLine(QStringView text, int maxLines, const std::function<void(int n, const QStringList &fields)> &line);

// Calls store(row, col, text) for every field of the first maxRows lines of
// Windows-1250 bytes, the lines as above.
void readFieldLines(const QByteArray &bytes, int maxRows,
                    const std::function<void(int row, int col, const QString &text)> &store);

// Appends one line of fields.
void appendFieldLine(QByteArray &out, const QStringList &fields);

// Writes the bytes through a temporary file in the same folder, renamed over
// fileName once complete. On failure returns false with the system's reason.
bool writeWholeFile(const QString &fileName, const QByteArray &bytes, QString *reason = nullptr);
