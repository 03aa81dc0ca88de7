#pragma once
// The operator's settings file "TAVO-konfig.txt": five lines of ten ";"-separated
// Windows-1250 texts ended by CR LF, line k holding row k of Headings. Passwords
// are never stored, only their 8-bit check value as decimal text.

#include "records/headings.h"

#include <QByteArray>
#include <QString>

// The check value of a password: a-z upper-cased (nothing else), padded with
// "X" to 8 characters, the 1-Wire CRC-8 of the first 8 Windows-1250 bytes, in decimal.
QString passwordValue(const QString &password);

// Dallas/Maxim 1-Wire CRC-8: reflected polynomial 0x8C, initial 0, no final XOR.
quint8 oneWireCrc8(const QByteArray &bytes);

// Reads the settings file into h. h is cleared first, so whatever the file does
// not reach (a missing or short file, fields after the 10th) stays empty.
void LoadUserSettings(Headings &h, const QString &fileName);

// Writes h to the settings file through a temporary file in the same folder,
// so the old file stays whole until the new one is. ";" is dropped from the texts.
// Returns false when the file could not be written; the old one is then kept.
bool SaveUserSettings(const Headings &h, const QString &fileName);
