#pragma once
// The program's plain text files (about and help texts): Windows-1250, lines
// ended by CR LF, LF or CR alone.

#include <QString>

// The whole text of the file with "\n" line ends; raises Error
// "Cannot open file <path>" when the file cannot be read.
QString loadTextFile(const QString &path);
