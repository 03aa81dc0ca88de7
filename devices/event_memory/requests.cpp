#include "devices/event_memory/requests.h"

#include "devices/event_memory/event_format.h"

#include <algorithm>

using namespace tavob;

namespace tavoB {

namespace {
constexpr quint32 PointersAt = 0;
constexpr quint32 IdentificationAt = 8;
constexpr quint32 NewestBlockAt = 16;  // after the event buffer's header
constexpr quint32 SecondHalf = 8;      // a record's date and time
} // namespace

Request readClock() { return bus::readEntry(0, Selector::DeviceClock); }

Request writeClock(const std::array<quint8, 6> &yearToSecond)
{
    std::array<quint8, 8> bytes{};
    std::copy(yearToSecond.begin(), yearToSecond.end(), bytes.begin() + 2);
    return bus::writeEntry(bytes, 0, Selector::DeviceClock);
}

Request readPointers(quint8 memory) { return bus::readEntry(PointersAt, memory); }

Request readIdentification(quint8 memory) { return bus::readEntry(IdentificationAt, memory); }

Request writeIdentification(const std::array<quint8, 8> &id)
{
    return bus::writeEntry(id, IdentificationAt, Selector::EventBuffer);
}

Request writePointers(qint64 first, qint64 last)
{
    const std::array<quint8, 4> f = pointerBytes(first), l = pointerBytes(last);
    return bus::writeEntry({f[0], f[1], f[2], f[3], l[0], l[1], l[2], l[3]}, PointersAt, Selector::EventBuffer);
}

Request readEventDate(qint64 n, bool inNewestBlock)
{
    if (inNewestBlock)
        return bus::readEntry(eventBufferSlot(n) + SecondHalf, Selector::EventBuffer);
    return bus::readEntry(recordAddress(n) + SecondHalf, Selector::Card);
}

BlockTransfer::Place eventBlock(qint64 firstOfBlock, bool newest)
{
    if (newest)
        return {NewestBlockAt, Selector::EventBuffer};
    return {blockAddress(firstOfBlock), Selector::Card};
}

} // namespace tavoB
