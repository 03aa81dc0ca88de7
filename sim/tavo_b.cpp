#include "sim/tavo_b.h"

#include "core/clock.h"

namespace sim {

namespace {
qint64 eventOfPointer(quint32 pointer) { return qint64(pointer / 16) - 31; }

QByteArray pointerBytes(qint64 n)
{
    const quint32 p = quint32((n + 31) * 16);
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(p >> (24 - 8 * i));
    return b;
}

qint64 blockFirst(qint64 n) { return ((n - 1) / 32) * 32 + 1; }

quint8 bcd(int v) { return quint8((v / 10) << 4 | v % 10); }

// -1 when a nibble is not a decimal digit.
int fromBcd(quint8 b)
{
    const int tens = b >> 4, units = b & 0x0F;
    return tens > 9 || units > 9 ? -1 : tens * 10 + units;
}

QDateTime standardTime(const QDate &d, const QTime &t) { return QDateTime(d, t, Qt::UTC); }

void putDateTime(quint8 *at, const QDateTime &t)
{
    const QDate d = t.date();
    const QTime h = t.time();
    const int fields[6] = {d.year() % 100, d.month(), d.day(), h.hour(), h.minute(), h.second()};
    for (int i = 0; i < 6; ++i)
        at[i] = bcd(fields[i]);
}

const std::vector<QByteArray> Ack{QByteArray()};
}  // namespace

TavoBDevice::Record TavoBDevice::makeRecord(quint64 code, int position, const QDateTime &standardTime)
{
    Record r{};
    for (int i = 7; i >= 0; --i, code >>= 8)
        r[i] = quint8(code & 0xFF);
    r[8] = quint8((position >> 4) & 0xFF);
    r[9] = quint8((position & 0x0F) << 4);
    putDateTime(&r[10], standardTime);
    return r;
}

// Erased flash.
TavoBDevice::Record TavoBDevice::blankRecord()
{
    Record r;
    r.fill(0xFF);
    return r;
}

TavoBDevice::TavoBDevice(quint8 address) : address_(address), header_(16, '\0'), cardHeader_(512, '\0')
{
    newest_.fill(blankRecord());
    setRange(1, 0);
    setClock(standardTime(QDate(2024, 1, 1), QTime(0, 0)));
}

qint64 TavoBDevice::firstEvent() const { return eventOfPointer(bigEndian32(header_, 0)); }
qint64 TavoBDevice::lastEvent() const { return eventOfPointer(bigEndian32(header_, 4)); }

void TavoBDevice::setRange(qint64 first, qint64 last) { writeHeader(0, pointerBytes(first) + pointerBytes(last)); }

void TavoBDevice::setIdentification(const QByteArray &id) { writeHeader(8, id.left(8).leftJustified(8, '\0')); }

bool TavoBDevice::rangeValid() const
{
    const qint64 first = firstEvent(), last = lastEvent();
    return first >= 1 && first <= RingSize && last >= 0 && last <= RingSize;
}

qint64 TavoBDevice::eventCount() const
{
    if (!rangeValid())
        return 0;
    return full_ ? RingSize : (lastEvent() - firstEvent() + 1 + RingSize) % RingSize;
}

bool TavoBDevice::record(const Record &r)
{
    if (!rangeValid())
        return false;
    const qint64 n = lastEvent() % RingSize + 1;
    if ((n - 1) % 32 == 0) {
        newest_.fill(blankRecord());
        newestFirst_ = n;
    }
    newest_[size_t((n - 1) % 32)] = r;
    const qint64 first = full_ ? firstEvent() % RingSize + 1 : firstEvent();
    full_ = full_ || eventCount() == RingSize - 1;
    header_.replace(0, 8, pointerBytes(first) + pointerBytes(n));
    cardHeader_.replace(0, 16, header_);
    if (n % 32 == 0)
        flushNewest();
    return true;
}

TavoBDevice::Record TavoBDevice::event(qint64 n) const
{
    if (n >= newestFirst_ && n < newestFirst_ + 32)
        return newest_[size_t(n - newestFirst_)];
    const auto it = card_.find(n);
    return it == card_.end() ? blankRecord() : it->second;
}

QByteArray TavoBDevice::readCard(quint32 address, int count) const
{
    QByteArray out;
    for (quint32 a = address; a < address + quint32(count); ++a) {
        if (a < 512) {
            out.append(cardHeader_[int(a)]);
            continue;
        }
        const auto it = card_.find((a - 512) / 16 + 1);
        out.append(char(it == card_.end() ? 0xFF : it->second[(a - 512) % 16]));
    }
    return out;
}

void TavoBDevice::writeCard(quint32 address, const QByteArray &bytes)
{
    for (int i = 0; i < bytes.size(); ++i) {
        const quint32 a = address + quint32(i);
        if (a < 512)
            cardHeader_[int(a)] = bytes[i];
        else
            card_.try_emplace((a - 512) / 16 + 1, blankRecord()).first->second[(a - 512) % 16] = quint8(bytes[i]);
    }
}

QByteArray TavoBDevice::eventBuffer() const
{
    QByteArray out = header_;
    for (const Record &r : newest_)
        out.append(reinterpret_cast<const char *>(r.data()), int(r.size()));
    return out;
}

QDateTime TavoBDevice::clock() const { return clockBase_.addMSecs((theClock().nowUs() - clockSetUs_) / 1000); }

void TavoBDevice::setClock(const QDateTime &t)
{
    clockBase_ = standardTime(t.date(), t.time());
    clockSetUs_ = theClock().nowUs();
}

// Bytes 0 and 1 are not used; then year, month, day, hour, minute, second in BCD.
QByteArray TavoBDevice::clockBytes() const
{
    quint8 b[8] = {};
    putDateTime(&b[2], clock());
    return QByteArray(reinterpret_cast<const char *>(b), 8);
}

// A time that is not a valid BCD date and time leaves the clock as it was.
void TavoBDevice::setClockFromBytes(const QByteArray &bytes)
{
    int f[6];
    for (int i = 0; i < 6; ++i)
        f[i] = fromBcd(quint8(bytes[2 + i]));
    for (int v : f)
        if (v < 0)
            return;
    const QDate d(2000 + f[0], f[1], f[2]);
    const QTime t(f[3], f[4], f[5]);
    if (d.isValid() && t.isValid())
        setClock(standardTime(d, t));
}

// A change of the pointers resets the ring's "full" state and brings the block
// of the new last event into the buffer.
void TavoBDevice::writeHeader(int at, const QByteArray &bytes)
{
    header_.replace(at, int(bytes.size()), bytes);
    cardHeader_.replace(0, 16, header_);
    if (at < 8) {
        full_ = false;
        followLastBlock();
    }
}

void TavoBDevice::writeEventBuffer(quint32 address, const QByteArray &bytes)
{
    for (int i = 0; i < bytes.size(); ++i) {
        const quint32 a = address + quint32(i);
        if (a >= 16)
            newest_[(a - 16) / 16][(a - 16) % 16] = quint8(bytes[i]);
    }
    if (address < 16)
        writeHeader(int(address), bytes.left(int(16 - address)));
}

void TavoBDevice::followLastBlock()
{
    if (!rangeValid())
        return;
    const qint64 block = blockFirst(qMax<qint64>(lastEvent(), 1));
    if (block == newestFirst_)
        return;
    flushNewest();
    newestFirst_ = block;
    for (qint64 k = 0; k < 32; ++k) {
        const auto it = card_.find(block + k);
        newest_[size_t(k)] = it == card_.end() ? blankRecord() : it->second;
    }
}

// The buffer's block goes to the card whole, blank slots included.
void TavoBDevice::flushNewest()
{
    for (qint64 k = 0; k < 32; ++k) {
        const Record &r = newest_[size_t(k)];
        if (r == blankRecord())
            card_.erase(newestFirst_ + k);
        else
            card_[newestFirst_ + k] = r;
    }
}

bool TavoBDevice::cardRange(quint32 address, int count) const
{
    return cardPresent_ && quint64(address) + quint64(count) <= CardSize;
}

std::vector<QByteArray> TavoBDevice::serve(const SimRequest &request)
{
    const QByteArray &q = request.data;
    if (q.size() != requestDataLength(request.command))
        return {};
    switch (request.command) {
    case Command::TransferStart: transferOpen_ = true; return Ack;
    case Command::TransferEnd: transferOpen_ = false; return Ack;
    case Command::ReadEntry: return read(quint8(q[4]), bigEndian32(q, 0));
    case Command::WriteEntry: return write(quint8(q[12]), bigEndian32(q, 8), q.left(8));
    case Command::ReadBlock: return readBlock(quint8(q[4]), bigEndian32(q, 0));
    default: return {};
    }
}

// The clock is one 8-byte entry: its address bytes are not looked at.
std::vector<QByteArray> TavoBDevice::read(quint8 memory, quint32 address) const
{
    if (memory == Card && cardRange(address, 8))
        return {readCard(address, 8)};
    if (memory == EventBuffer && quint64(address) + 8 <= EventBufferSize)
        return {eventBuffer().mid(int(address), 8)};
    if (memory == ClockMemory)
        return {clockBytes()};
    return {};
}

// A write is answered with the 8 bytes now stored at the address.
std::vector<QByteArray> TavoBDevice::write(quint8 memory, quint32 address, const QByteArray &bytes)
{
    if (memory == Card && cardRange(address, 8))
        writeCard(address, bytes);
    else if (memory == EventBuffer && quint64(address) + 8 <= EventBufferSize)
        writeEventBuffer(address, bytes);
    else if (memory == ClockMemory)
        setClockFromBytes(bytes);
    else
        return {};
    return read(memory, address);
}

std::vector<QByteArray> TavoBDevice::readBlock(quint8 memory, quint32 address) const
{
    if (memory == Card && cardRange(address, BlockBytes))
        return blockFrames(readCard(address, BlockBytes));
    if (memory == EventBuffer && quint64(address) + BlockBytes <= EventBufferSize)
        return blockFrames(eventBuffer().mid(int(address), BlockBytes));
    return {};
}

} // namespace sim
