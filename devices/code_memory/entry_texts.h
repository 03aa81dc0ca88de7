#pragma once
// How a code-memory entry travels: the working set's key code and flag texts
// as request bytes, and the bytes a device returns as those texts again.

#include "core/key_code.h"

#include <QString>
#include <QtGlobal>
#include <array>

// A key code text as 8 bytes: letters a-z upper-cased, "0" appended up to 16
// characters, then two characters a byte ("0".."9" and "A".."F" are the hex
// digits; any other character counts by its code, modulo 256).
std::array<quint8, 8> codeBytes(const QString &text);
// A flag text as 2 bytes: after the same upper-casing and filling, character k
// (1..16) sets flag k when its code is above that of "0" and below 128.
// Characters 1..8 are bits 0..7 of the first byte, 9..16 of the second.
std::array<quint8, 2> flagBytes(const QString &text);

// 2 flag bytes as 16 characters "1"/"0", bits 0..7 of the first byte first.
QString flagText(quint8 first, quint8 second);

// The code count a device stores as (count + 1) x 16 in two big-endian bytes.
int storedCodeCount(quint8 high, quint8 low);
quint8 codeCountHigh(int codeCount);
quint8 codeCountLow(int codeCount);
