#pragma once
// Text at rest is Windows-1250; in memory it is QString. Convert at the edge only.
// A character without a Windows-1250 byte becomes '?': check with fitsCp1250 first.

#include <QByteArray>
#include <QString>

QByteArray toCp1250(const QString &text);
QString fromCp1250(const QByteArray &bytes);
QString fromCp1250(const char *bytes, int size);
// True when every character of text has a Windows-1250 byte.
bool fitsCp1250(const QString &text);
