#pragma once
// A key code as both reader families carry it: 8 bytes, shown as 16
// upper-case hex digits, the first byte first.

#include <QString>
#include <QtGlobal>

QString codeText(const quint8 *bytes);
