#pragma once
// The requests a TAVO-M reader takes, as pure functions: each builds a
// request's command and data bytes, which the link frames and sends. The
// transfer's own requests (start, end, read block) are the bus's, shared with
// the TAVO-B readers: link/protocol.h.

#include "link/protocol.h"

#include <QString>

namespace tavoM {

// Entry e of the code memory starts at byte address e x 16.
quint32 entryAddress(int entry);

// 146: 8 bytes of the code memory; entry 0 holds the configuration.
Request readEntry(quint32 address);
Request readConfiguration();
// 145: entry 0 becomes address, relay time, (code count + 1) x 16 big-endian;
// the device answers from the new address, echoing Q0..Q3.
Request writeConfiguration(int address, int relayTime, int codeCount);
// 148: the slot's key code text (working-set column 1) into bytes 0..7 of its entry.
Request writeCode(int slot, const QString &codeText);
// 147: the slot's flag text (column 2) into bytes 8..9 of its entry.
Request writeFlags(int slot, const QString &flagText);
// 144: R0 is the software version.
Request readVersion();
// 131: time byte (0 toggle, 1..254 seconds, 255 block), relays 1..8, relays 9..16.
Request relayTest(quint8 time, quint8 relays1to8, quint8 relays9to16);
// 143: a count frame, then one frame per code; 142 lets the device forget the list.
Request lastCodesRead();
Request lastCodesRelease();

} // namespace tavoM
