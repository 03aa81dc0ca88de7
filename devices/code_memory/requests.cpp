#include "devices/code_memory/requests.h"

#include "devices/code_memory/entry_texts.h"

namespace tavoM {

quint32 entryAddress(int entry) { return quint32(entry) * EntryBytes; }

Request readEntry(quint32 address) { return bus::readEntry(address, Selector::CodeMemory); }

Request readConfiguration() { return readEntry(entryAddress(0)); }

Request writeConfiguration(int address, int relayTime, int codeCount)
{
    QByteArray q(13, '\0');
    q[0] = char(quint8(address));
    q[1] = char(quint8(relayTime));
    q[2] = char(codeCountHigh(codeCount));
    q[3] = char(codeCountLow(codeCount));
    q[12] = char(Selector::CodeMemory);
    return {Command::WriteConfiguration, q};
}

Request writeCode(int slot, const QString &codeText)
{
    return bus::writeEntry(codeBytes(codeText), entryAddress(slot), Selector::CodeMemory);
}

Request writeFlags(int slot, const QString &flagText)
{
    const std::array<quint8, 2> flags = flagBytes(flagText);
    QByteArray q(reinterpret_cast<const char *>(flags.data()), int(flags.size()));
    return {Command::WriteFlags, q + bus::addressAndSelector(entryAddress(slot) + 8, Selector::CodeMemory)};
}

Request readVersion() { return {Command::ReadVersion, {}}; }

Request relayTest(quint8 time, quint8 relays1to8, quint8 relays9to16)
{
    QByteArray q;
    q.append(char(time)).append(char(relays1to8)).append(char(relays9to16));
    return {Command::RelayTest, q};
}

Request lastCodesRead() { return {Command::LastCodesRead, {}}; }

Request lastCodesRelease() { return {Command::LastCodesRelease, {}}; }

} // namespace tavoM
