#include "sim/tavo_m.h"

#include "core/clock.h"

#include <limits>

namespace sim {

namespace {
QByteArray codeBytes(quint64 code)
{
    QByteArray b(8, '\0');
    for (int i = 7; i >= 0; --i, code >>= 8)
        b[i] = char(code & 0xFF);
    return b;
}

const std::vector<QByteArray> Ack{QByteArray()};
}  // namespace

TavoMDevice::TavoMDevice(quint8 address, quint8 relayTime, int codeCount) : memory_(MemorySize, '\0')
{
    setConfiguration(address, relayTime, codeCount);
}

int TavoMDevice::codeCount() const
{
    return (quint8(memory_[2]) * 16 + quint8(memory_[3]) / 16) - 1;
}

void TavoMDevice::setConfiguration(quint8 address, quint8 relayTime, int codeCount)
{
    const int stored = (codeCount + 1) * 16;
    memory_[0] = char(address);
    memory_[1] = char(relayTime);
    memory_[2] = char(stored >> 8);
    memory_[3] = char(stored & 0xFF);
}

quint64 TavoMDevice::code(int e) const
{
    quint64 c = 0;
    for (int i = 0; i < 8; ++i)
        c = (c << 8) | quint8(memory_[e * EntrySize + i]);
    return c;
}

void TavoMDevice::setCode(int e, quint64 code) { write(quint32(e * EntrySize), codeBytes(code)); }

quint16 TavoMDevice::flags(int e) const
{
    return quint16(quint8(memory_[e * EntrySize + 8]) | quint8(memory_[e * EntrySize + 9]) << 8);
}

void TavoMDevice::setFlags(int e, quint16 flags)
{
    memory_[e * EntrySize + 8] = char(flags & 0xFF);
    memory_[e * EntrySize + 9] = char(flags >> 8);
}

void TavoMDevice::presentKey(quint64 code)
{
    lastCodes_.prepend(code);
    while (lastCodes_.size() > LastCodesKept)
        lastCodes_.removeLast();
}

bool TavoMDevice::relayClosed(int relay) const
{
    return theClock().nowUs() < closedUntilUs_[relay - 1];
}

// The code memory decodes only the low address bits: addresses wrap at its size.
QByteArray TavoMDevice::read(quint32 address, int count) const
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(memory_[int((address + quint32(i)) % MemorySize)]);
    return out;
}

void TavoMDevice::write(quint32 address, const QByteArray &bytes)
{
    for (int i = 0; i < bytes.size(); ++i)
        memory_[int((address + quint32(i)) % MemorySize)] = bytes[i];
}

std::vector<QByteArray> TavoMDevice::serve(const SimRequest &request)
{
    const QByteArray &q = request.data;
    if (q.size() != requestDataLength(request.command))
        return {};
    switch (request.command) {
    case Command::RelayTest: return relayTest(q);
    case Command::TransferStart: transferOpen_ = true; return Ack;
    case Command::TransferEnd: transferOpen_ = false; return Ack;
    case Command::LastCodesRelease: lastCodes_.clear(); return Ack;
    case Command::LastCodesRead: return lastCodesReply();
    case Command::ReadVersion: return {QByteArray(1, char(version_))};
    case Command::WriteConfiguration: return writeConfiguration(q);
    default: return memoryRequest(request.command, q);
    }
}

// Q0 mode (0 toggle, 1..254 seconds, 255 hold), Q1 relays 1..8, Q2 relays 9..16.
std::vector<QByteArray> TavoMDevice::relayTest(const QByteArray &q)
{
    const qint64 now = theClock().nowUs();
    const RelayTest t{now, quint8(q[0]), quint16(quint8(q[1]) | quint8(q[2]) << 8)};
    relayTests_.push_back(t);
    for (int r = 0; r < 16; ++r) {
        if (!(t.relays & (1 << r)))
            continue;
        if (t.time == 0)
            closedUntilUs_[r] = relayClosed(r + 1) ? 0 : std::numeric_limits<qint64>::max();
        else if (t.time == 255)
            closedUntilUs_[r] = std::numeric_limits<qint64>::max();
        else
            closedUntilUs_[r] = now + qint64(t.time) * 1000000;
    }
    return Ack;
}

// A count frame, then one frame per code, newest first; at most 255 codes.
std::vector<QByteArray> TavoMDevice::lastCodesReply() const
{
    const int n = qMin<int>(int(lastCodes_.size()), 255);
    std::vector<QByteArray> frames{QByteArray(1, char(n))};
    for (int i = 0; i < n; ++i)
        frames.push_back(codeBytes(lastCodes_[i]));
    return frames;
}

// Q0..Q11 go to entry 0 (address, relay time, code count, zeros) when Q12 names
// the code memory; the reply, from the new address, is entry 0's bytes 0..7.
std::vector<QByteArray> TavoMDevice::writeConfiguration(const QByteArray &q)
{
    if (quint8(q[12]) != CodeMemory)
        return {};
    write(0, q.left(12));
    return {read(0, 8)};
}

// Read entry, write flags, write entry, read block: the last request byte is
// the memory selector, and only the code memory is served.
// A write is answered with the bytes now stored at the address.
std::vector<QByteArray> TavoMDevice::memoryRequest(quint8 command, const QByteArray &q)
{
    if (quint8(q.back()) != CodeMemory)
        return {};
    switch (command) {
    case Command::ReadEntry: return {read(bigEndian32(q, 0), 8)};
    case Command::WriteFlags: write(bigEndian32(q, 2), q.left(2)); return {read(bigEndian32(q, 2), 2)};
    case Command::WriteEntry: write(bigEndian32(q, 8), q.left(8)); return {read(bigEndian32(q, 8), 8)};
    default: return blockFrames(read(bigEndian32(q, 0), BlockBytes));
    }
}

} // namespace sim
