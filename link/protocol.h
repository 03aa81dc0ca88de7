#pragma once
// The bus protocol's vocabulary: the command index, the memory selectors, the
// block a read-block request returns, and the requests every device family
// shares. A request's bytes are built in one place: here for the requests of
// the transfer sequence and the memory requests in general, in each device
// family's requests.h for the rest.

#include <QByteArray>
#include <QtGlobal>
#include <array>

// The command byte of a request (frame position 17).
namespace Command {
inline constexpr quint8 RelayTest = 131;           // Q0 time, Q1..Q2 relay masks; no reply read
inline constexpr quint8 TransferStart = 140;       // any accepted frame means ready
inline constexpr quint8 TransferEnd = 141;         // no reply read
inline constexpr quint8 LastCodesRelease = 142;    // no reply read
inline constexpr quint8 LastCodesRead = 143;       // a count frame, then one frame per code
inline constexpr quint8 ReadVersion = 144;         // R0 the software version
inline constexpr quint8 WriteConfiguration = 145;  // Q0..Q3 the new entry 0, Q12 the selector
inline constexpr quint8 ReadEntry = 146;           // Q0..Q3 address, Q4 selector; R0..R7
inline constexpr quint8 WriteFlags = 147;          // Q0..Q1 data, Q2..Q5 address, Q6 selector
inline constexpr quint8 WriteEntry = 148;          // Q0..Q7 data, Q8..Q11 address, Q12 selector
inline constexpr quint8 ReadBlock = 149;           // Q0..Q3 address, Q4 selector; 64 frames
} // namespace Command

// Request data bytes (Q0, Q1, ...) each command carries; -1 for a byte that
// is no command of the bus.
constexpr int requestDataLength(quint8 command)
{
    switch (command) {
    case Command::RelayTest: return 3;
    case Command::TransferStart:
    case Command::TransferEnd:
    case Command::LastCodesRelease:
    case Command::LastCodesRead:
    case Command::ReadVersion: return 0;
    case Command::WriteConfiguration:
    case Command::WriteEntry: return 13;
    case Command::ReadEntry:
    case Command::ReadBlock: return 5;
    case Command::WriteFlags: return 7;
    default: return -1;
    }
}

// The memory a memory request (145..149) addresses: its last data byte.
namespace Selector {
inline constexpr quint8 CodeMemory = 160;   // a TAVO-M's 512 entries of 16 bytes
inline constexpr quint8 DeviceClock = 162;  // a TAVO-B's clock, one 8-byte entry
inline constexpr quint8 EventBuffer = 164;  // a TAVO-B's header and newest block
inline constexpr quint8 Card = 85;          // a TAVO-B's memory card
} // namespace Selector

// A read block returns 32 consecutive entries of 16 bytes, each as two frames:
// bytes 0..7 in R0..R7, then bytes 8..15.
inline constexpr int EntryBytes = 16;
inline constexpr int BlockEntries = 32;
inline constexpr int BlockBytes = BlockEntries * EntryBytes;
inline constexpr int BlockFrames = 2 * BlockEntries;

// A request as the link sends it: the command and its data bytes Q0, Q1, ...
struct Request {
    quint8 command = 0;
    QByteArray data;

    int bodyLength() const { return 2 + int(data.size()); }
    bool operator==(const Request &o) const { return command == o.command && data == o.data; }
};

// The requests every device family sends the same way. Addresses are byte
// addresses inside the selected memory, sent as 32 bits big-endian.
namespace bus {
Request transferStart();
Request transferEnd();
// 8 bytes at the address.
Request readEntry(quint32 address, quint8 selector);
// 8 bytes to the address.
Request writeEntry(const std::array<quint8, 8> &bytes, quint32 address, quint8 selector);
// The block of 32 entries from the address.
Request readBlock(quint32 address, quint8 selector);
// The address's 4 big-endian bytes followed by the selector.
QByteArray addressAndSelector(quint32 address, quint8 selector);
} // namespace bus
