#pragma once
// The requests a TAVO-B reader takes, as pure functions: its clock, the
// header of its event memories (pointers at 0, identification at 8, in the
// device event buffer and on the card alike), the date of one event and the
// place of an event block for the block transfer.

#include "link/block_transfer.h"
#include "link/protocol.h"

#include <array>

namespace tavoB {

// The clock is one 8-byte entry: its address bytes go out as 0.
Request readClock();
// Year, month, day, hour, minute, second as packed BCD bytes (standard time)
// into bytes 2..7 of the clock; bytes 0 and 1 go out as 0.
Request writeClock(const std::array<quint8, 6> &yearToSecond);

// The first and last pointers (R0..R3, R4..R7) of the event buffer or the card.
Request readPointers(quint8 memory);
// The identification number (R0..R7) of the event buffer or the card.
Request readIdentification(quint8 memory);
// Into the device event buffer: the identification number, or the pointers of
// the first and last event (written as they are, on the ring or not).
Request writeIdentification(const std::array<quint8, 8> &id);
Request writePointers(qint64 first, qint64 last);

// Bytes 8..15 of event n's record, its date and time: from the device event
// buffer while n lies in the block being filled, else from the card.
Request readEventDate(qint64 n, bool inNewestBlock);
// The block of events from firstOfBlock on: the newest from the device event
// buffer (after its header), the others from the card.
BlockTransfer::Place eventBlock(qint64 firstOfBlock, bool newest);

} // namespace tavoB
