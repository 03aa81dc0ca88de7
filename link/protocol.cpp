#include "link/protocol.h"

namespace bus {

QByteArray addressAndSelector(quint32 address, quint8 selector)
{
    QByteArray q(5, '\0');
    for (int i = 0; i < 4; ++i)
        q[i] = char(quint8(address >> (8 * (3 - i))));
    q[4] = char(selector);
    return q;
}

Request transferStart() { return {Command::TransferStart, {}}; }

Request transferEnd() { return {Command::TransferEnd, {}}; }

Request readEntry(quint32 address, quint8 selector) { return {Command::ReadEntry, addressAndSelector(address, selector)}; }

Request writeEntry(const std::array<quint8, 8> &bytes, quint32 address, quint8 selector)
{
    QByteArray q(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
    return {Command::WriteEntry, q + addressAndSelector(address, selector)};
}

Request readBlock(quint32 address, quint8 selector) { return {Command::ReadBlock, addressAndSelector(address, selector)}; }

} // namespace bus
